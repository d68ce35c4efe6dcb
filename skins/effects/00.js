/* 标题特效: the display text runs through the window's title, then the page's own title rests a while. */
(function () {
  var me = document.currentScript, text = (me && me.getAttribute('data-text')) || '';
  var own = document.title, line = (text || own) + '　　', i = 0, rest = 0;
  // A visitor who asks for less motion keeps the page's own title.
  var still = window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)');
  setInterval(function () {
    if (still && still.matches) { i = 0; rest = 0; document.title = own; return; }
    if (rest > 0) { rest--; return; }
    document.title = line.slice(i) + line.slice(0, i);
    if (++i >= line.length) { i = 0; rest = 20; document.title = own; }
  }, 300);
})();
