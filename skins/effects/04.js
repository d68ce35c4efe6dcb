/* 鼠标点击特效: every click lets a word of the display text rise from the pointer and fade. */
(function () {
  var me = document.currentScript, text = (me && me.getAttribute('data-text')) || '❤';
  var words = text.split(/\s+/).filter(Boolean), n = 0;
  var colours = ['#e74c3c', '#e67e22', '#f1c40f', '#2ecc71', '#3498db', '#9b59b6'];
  var still = window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)');
  document.addEventListener('click', function (e) {
    if (still && still.matches) return;
    var s = document.createElement('span'), step = 0;
    s.textContent = words[n % words.length];
    s.setAttribute('aria-hidden', 'true');
    s.style.cssText = 'position:fixed;z-index:95;pointer-events:none;font:bold 15px sans-serif;white-space:nowrap;' +
      'transform:translateX(-50%);color:' + colours[n % colours.length] + ';left:' + e.clientX + 'px;top:' + (e.clientY - 20) + 'px';
    n++;
    document.body.appendChild(s);
    var timer = setInterval(function () {
      step++;
      s.style.top = (e.clientY - 20 - step * 3) + 'px';
      s.style.opacity = String(1 - step / 25);
      if (step >= 25) { clearInterval(timer); s.remove(); }
    }, 30);
  });
})();
