/* 状态栏特效5: the letters of the display text fly in one by one from the right. */
(function () {
  var me = document.currentScript, t = (me && me.getAttribute('data-text')) || document.title;
  var bar = document.createElement('div'), n = 0;
  bar.className = 'orv-fx-status';
  document.body.appendChild(bar);
  var still = window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)');
  var chars = Array.from(t), done = 0, fly = "";
  setInterval(function () {
    if (still && still.matches) { done = 0; n = 0; bar.textContent = t; return; }
    if (done >= chars.length) { if (++n > 25) { done = 0; n = 0; } return; }
    var gap = 20 - (n++ % 21);
    fly = chars.slice(0, done).join("") + "　".repeat(gap) + chars[done];
    if (gap === 0) { done++; n = 0; }
    bar.textContent = fly;
    window.status = fly;
  }, 25);
})();
