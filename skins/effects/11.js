/* 状态栏特效6: the display text changes its colour all the time. */
(function () {
  var me = document.currentScript, t = (me && me.getAttribute('data-text')) || document.title;
  var bar = document.createElement('div'), n = 0;
  bar.className = 'orv-fx-status';
  document.body.appendChild(bar);
  var still = window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)');
  bar.textContent = t;
  window.status = t;
  setInterval(function () {
    if (still && still.matches) { bar.style.color = ''; return; }
    bar.style.color = "hsl(" + (n++ * 7 % 360) + ",90%,70%)";
  }, 80);
})();
