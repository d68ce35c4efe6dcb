/* 跟随鼠标的文字: the display text trails the mouse pointer, letter after letter. */
(function () {
  var me = document.currentScript, text = (me && me.getAttribute('data-text')) || document.title;
  var chars = Array.from(text).slice(0, 40), spans = [], x = -100, y = -100, pos = [];
  chars.forEach(function (c) {
    var s = document.createElement('span');
    s.textContent = c;
    s.setAttribute('aria-hidden', 'true');
    s.style.cssText = 'position:fixed;z-index:95;pointer-events:none;font:bold 14px sans-serif;color:#c0392b;left:-100px;top:-100px';
    document.body.appendChild(s);
    spans.push(s);
    pos.push({ x: -100, y: -100 });
  });
  var still = window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)');
  document.addEventListener('mousemove', function (e) { x = e.clientX + 12; y = e.clientY + 10; });
  setInterval(function () {
    var off = still && still.matches;
    spans.forEach(function (s) { s.style.display = off ? 'none' : ''; });
    if (off) return;
    for (var i = 0; i < spans.length; i++) {
      var tx = i ? pos[i - 1].x + 14 : x, ty = i ? pos[i - 1].y : y;
      pos[i].x += (tx - pos[i].x) * 0.35;
      pos[i].y += (ty - pos[i].y) * 0.35;
      spans[i].style.left = pos[i].x + 'px';
      spans[i].style.top = pos[i].y + 'px';
    }
  }, 30);
})();
