/* 状态栏特效3: the display text flashes in the status line. */
(function () {
  var me = document.currentScript, t = (me && me.getAttribute('data-text')) || document.title;
  var bar = document.createElement('div'), n = 0;
  bar.className = 'orv-fx-status';
  document.body.appendChild(bar);
  var still = window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)');
  bar.textContent = t;
  window.status = t;
  setInterval(function () {
    if (still && still.matches) { n = 0; bar.style.visibility = 'visible'; return; }
    bar.style.visibility = n++ % 2 ? "hidden" : "visible";
  }, 600);
})();
