/* 屏幕时钟: a clock in the window's top right corner. */
(function () {
  var box = document.createElement('div'), days = '日一二三四五六';
  box.className = 'orv-fx-clock';
  box.style.cssText = 'position:fixed;top:8px;right:8px;z-index:90;padding:4px 10px;font:13px/1.5 monospace;' +
    'background:rgba(0,0,0,.65);color:#fff;border-radius:4px;pointer-events:none';
  function two(n) { return (n < 10 ? '0' : '') + n; }
  function tick() {
    var d = new Date();
    box.textContent = d.getFullYear() + '-' + two(d.getMonth() + 1) + '-' + two(d.getDate()) + ' 星期' +
      days.charAt(d.getDay()) + ' ' + two(d.getHours()) + ':' + two(d.getMinutes()) + ':' + two(d.getSeconds());
  }
  tick();
  document.body.appendChild(box);
  setInterval(tick, 1000);
})();
