/* 状态栏特效7: the display text opens from its middle, then closes again. */
(function () {
  var me = document.currentScript, t = (me && me.getAttribute('data-text')) || document.title;
  var bar = document.createElement('div'), n = 0;
  bar.className = 'orv-fx-status';
  document.body.appendChild(bar);
  var still = window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)');
  var chars = Array.from(t), half = Math.ceil(chars.length / 2);
  bar.style.textAlign = "center";
  setInterval(function () {
    if (still && still.matches) { n = 0; bar.textContent = t; return; }
    var k = n++ % (2 * half + 10), w = k <= half ? k : Math.max(0, 2 * half + 5 - k);
    w = Math.min(w, half);
    bar.textContent = chars.slice(half - w, half + w).join("");
    window.status = bar.textContent;
  }, 120);
})();
