/* 屏幕时钟: a clock at the bottom right of the window; it ends up below the footer (see base.css). */
(function () {
  var box = document.createElement('div'), days = '日一二三四五六';
  box.className = 'orv-fx-clock';
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
