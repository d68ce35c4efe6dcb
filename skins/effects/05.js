/* 跟随鼠标的彩色字符: the display text circles the mouse pointer in changing colours. */
(function () {
  var me = document.currentScript, text = (me && me.getAttribute('data-text')) || document.title;
  var chars = Array.from(text).slice(0, 24), spans = [], x = -200, y = -200, cx = -200, cy = -200, turn = 0;
  chars.forEach(function (c) {
    var s = document.createElement('span');
    s.textContent = c;
    s.setAttribute('aria-hidden', 'true');
    s.style.cssText = 'position:fixed;z-index:95;pointer-events:none;font:bold 14px sans-serif;transform:translate(-50%,-50%)';
    document.body.appendChild(s);
    spans.push(s);
  });
  var still = window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)');
  document.addEventListener('mousemove', function (e) { x = e.clientX; y = e.clientY; });
  setInterval(function () {
    var off = still && still.matches;
    spans.forEach(function (s) { s.style.display = off ? 'none' : ''; });
    if (off) return;
    cx += (x - cx) * 0.2;
    cy += (y - cy) * 0.2;
    turn += 0.04;
    var r = 30 + chars.length * 2.5;
    spans.forEach(function (s, i) {
      var a = turn + i * 2 * Math.PI / spans.length;
      s.style.left = (cx + r * Math.cos(a)) + 'px';
      s.style.top = (cy + r * Math.sin(a)) + 'px';
      s.style.color = 'hsl(' + Math.round((turn * 60 + i * 360 / spans.length) % 360) + ',80%,45%)';
    });
  }, 30);
})();
