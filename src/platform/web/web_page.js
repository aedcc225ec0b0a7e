// The page around a program: its arguments from the address, the canvas
// placed with black bars at the largest size of its proportions, the
// store of saved files mounted before the program starts, and a word when
// the program has ended.
//
// The address's query gives the program's arguments, separated by '&'
// (game.html?arena plays data/map/arena.map); hold=N is the page's test
// hook: the loop stops at the end of pass N, its frame on the canvas,
// until Module.brask_release() is called.
Module['canvas'] = document.getElementById('canvas');
Module['arguments'] = [];
Module['brask_hold'] = -1;
location.search.substring(1).split('&').forEach(function(part) {
  if (part === '') return;
  var word = decodeURIComponent(part.replace(/\+/g, ' '));
  var hold = /^hold=(\d+)$/.exec(word);
  if (hold) Module['brask_hold'] = Number(hold[1]);
  else Module['arguments'].push(word);
});

// The canvas at the largest size that keeps the frame's proportions,
// centred (the same rounding as the native window's letterbox).
Module['layout'] = function() {
  var canvas = Module['canvas'];
  var outW = window.innerWidth, outH = window.innerHeight;
  var frameW = canvas.width, frameH = canvas.height;
  var w = outW, h = outH;
  if (outW * frameH <= outH * frameW) h = Math.floor((outW * frameH * 2 + frameW) / (2 * frameW));
  else w = Math.floor((outH * frameW * 2 + frameH) / (2 * frameH));
  canvas.style.left = Math.floor((outW - w) / 2) + 'px';
  canvas.style.top = Math.floor((outH - h) / 2) + 'px';
  canvas.style.width = Math.max(w, 1) + 'px';
  canvas.style.height = Math.max(h, 1) + 'px';
};
window.addEventListener('resize', function() { Module['layout'](); });
Module['layout']();

Module['setStatus'] = function(text) {
  var status = document.getElementById('status');
  if (status && status.dataset.ended !== '1') status.textContent = text;
};
Module['onRuntimeInitialized'] = function() { Module['setStatus'](''); };
Module['onProgramEnd'] = function() {
  var status = document.getElementById('status');
  if (!status) return;
  status.dataset.ended = '1';
  status.innerHTML = 'Программа завершена. <a href="">Начать снова</a> · <a href="index.html">Выбор программы</a>';
};

// The saved maps and sprite files: IndexedDB under /saved, read before the
// program starts. Without IndexedDB (a private window, a file: address)
// the program runs all the same and keeps nothing.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function() {
  try {
    FS.mkdir('/saved');
    FS.mount(IDBFS, {}, '/saved');
  } catch (e) {
    console.log('no store for saved files: ' + e);
    return;
  }
  addRunDependency('saved files');
  FS.syncfs(true, function(error) {
    if (error) console.log('reading the saved files failed: ' + error);
    removeRunDependency('saved files');
  });
});
