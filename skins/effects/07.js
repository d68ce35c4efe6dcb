/* 状态栏特效2: the display text is typed into the status line, then starts again. */
(function () {
  var me = document.currentScript, t = (me && me.getAttribute('data-text')) || document.title;
  var bar = document.createElement('div'), n = 0;
  bar.className = 'orv-fx-status';
  document.body.appendChild(bar);
  var still = window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)');
  var chars = Array.from(t);
  setInterval(function () {
    if (still && still.matches) { n = 0; bar.textContent = t; return; }
    var k = n++ % (chars.length + 15);
    bar.textContent = chars.slice(0, Math.min(k, chars.length)).join("") + (k % 2 ? "_" : "");
    window.status = bar.textContent;
  }, 150);
})();
