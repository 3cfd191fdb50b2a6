// The headless build under node: the game sees the process's environment (data folder, per-user
// folders, SDL's drivers) as the desktop build does; it has no window to show.
var Module = typeof Module !== 'undefined' ? Module : {};
// Read from the disk here: node's own fetch() does not take file paths.
Module.wasmBinary = require('fs').readFileSync(__dirname + '/veltramondo.wasm');
// SDL looks for pads through the browser's navigator: under node there is none, and no pad.
if (typeof navigator === 'undefined') globalThis.navigator = {};
Module.preRun = Module.preRun || [];
Module.preRun.push(function() {
    for (var name in process.env) ENV[name] = process.env[name];
    ENV.SDL_VIDEODRIVER = 'dummy';
    ENV.SDL_AUDIODRIVER = 'dummy';
});
