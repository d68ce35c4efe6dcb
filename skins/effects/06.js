/* 状态栏特效1: the display text runs along the status line from right to left. */
(function () {
  var me = document.currentScript, t = (me && me.getAttribute('data-text')) || document.title;
  var bar = document.createElement('div'), n = 0;
  bar.className = 'orv-fx-status';
  document.body.appendChild(bar);
  var still = window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)');
  var span = document.createElement("span"), x = bar.clientWidth;
  span.textContent = t;
  span.style.cssText = "position:relative;display:inline-block";
  bar.appendChild(span);
  window.status = t;
  setInterval(function () {
    if (still && still.matches) { x = 0; span.style.left = '0'; return; }
    x -= 2;
    if (x < -span.offsetWidth) x = bar.clientWidth;
    span.style.left = x + "px";
  }, 30);
})();
