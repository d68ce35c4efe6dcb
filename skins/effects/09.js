/* 状态栏特效4: the display text swings from one end of the status line to the other. */
(function () {
  var me = document.currentScript, t = (me && me.getAttribute('data-text')) || document.title;
  var bar = document.createElement('div'), n = 0;
  bar.className = 'orv-fx-status';
  document.body.appendChild(bar);
  var still = window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)');
  var span = document.createElement("span");
  span.textContent = t;
  span.style.cssText = "position:relative;display:inline-block";
  bar.appendChild(span);
  window.status = t;
  setInterval(function () {
    if (still && still.matches) { n = 0; span.style.left = '0'; return; }
    var room = Math.max(0, bar.clientWidth - span.offsetWidth - 20), k = n++ % 200;
    span.style.left = Math.round(room * (k < 100 ? k : 200 - k) / 100) + "px";
  }, 40);
})();
