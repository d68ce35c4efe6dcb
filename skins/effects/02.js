/* 跟随鼠标的星星: little stars fall from the mouse pointer and fade. */
(function () {
  var colours = ['#f7d038', '#eb7532', '#e6261f', '#49da9a', '#34bbe6', '#a3e048', '#d23be7'], last = 0;
  var still = window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)');
  document.addEventListener('mousemove', function (e) {
    if (still && still.matches) return;
    var now = Date.now();
    if (now - last < 40) return;
    last = now;
    var s = document.createElement('span'), life = 0;
    s.textContent = '★';
    s.setAttribute('aria-hidden', 'true');
    s.style.cssText = 'position:fixed;z-index:95;pointer-events:none;font-size:' + (10 + Math.random() * 10) +
      'px;color:' + colours[Math.floor(Math.random() * colours.length)] + ';left:' + e.clientX + 'px;top:' + e.clientY + 'px';
    document.body.appendChild(s);
    var dx = Math.random() * 2 - 1, timer = setInterval(function () {
      life++;
      s.style.left = (e.clientX + dx * life * 2) + 'px';
      s.style.top = (e.clientY + life * life * 0.15) + 'px';
      s.style.opacity = String(1 - life / 30);
      if (life >= 30) { clearInterval(timer); s.remove(); }
    }, 30);
  });
})();
