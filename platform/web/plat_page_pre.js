// The page's side of the game's start-up: command-line options from the query string, the
// drivers of SDL, the per-user folders kept in IndexedDB (loaded before the game starts, saved
// after every durable write), and the loading bar.
var Module = typeof Module !== 'undefined' ? Module : {};

// "?seed=5&autopilot&fixed-ticks=1" gives "--seed 5 --autopilot --fixed-ticks 1". The browser
// shows one frame per display refresh, so the frame rate is the display's unless "fps" is given.
Module.arguments = (function() {
    var args = [], fps = false;
    new URLSearchParams(location.search).forEach(function(value, key) {
        if (key === 'fps') fps = true;
        args.push('--' + key);
        if (value !== '') args.push(value);
    });
    if (!fps) args.push('--fps', '0');
    return args;
})();

Module.canvas = document.getElementById('canvas');
// The mouse steers with the pointer locked where the browser allows it (after a click); where it
// refuses, the game steers with the pointer as it is, and the refusal is no error.
Module.canvas.requestPointerLock = (function(lock) {
    return function() {
        var asked = lock.apply(this, arguments);
        if (asked && asked.catch) asked.catch(function() {});
        return asked;
    };
})(Module.canvas.requestPointerLock);
Module.print = function(text) { console.log(text); };
Module.printErr = function(text) { console.warn(text); };

Module.setStatus = function(text) {
    var bar = document.getElementById('progress'), m = /\((\d+(?:\.\d+)?)\/(\d+)\)/.exec(text);
    if (bar && m) { bar.max = +m[2]; bar.value = +m[1]; }
    if (!text) document.getElementById('loading').hidden = true;
};

Module.onExit = function() {
    document.getElementById('ended').hidden = false;
};

var veltramondoHome = '/home/web_user';
var veltramondoSaving = false, veltramondoSaveAgain = false;
// Saves the per-user folders to IndexedDB; a save asked for while one runs follows it.
Module.veltramondoSave = function() {
    if (veltramondoSaving) { veltramondoSaveAgain = true; return; }
    veltramondoSaving = true;
    FS.syncfs(false, function(err) {
        if (err) console.warn('veltramondo: the files could not be kept in the browser: ' + err);
        veltramondoSaving = false;
        Module.veltramondoSaved = (Module.veltramondoSaved || 0) + 1;
        if (veltramondoSaveAgain) { veltramondoSaveAgain = false; Module.veltramondoSave(); }
    });
};

// A file written whole: kept in the browser, and a snapshot (F9) handed to the player too.
Module.veltramondoKept = function(path) {
    Module.veltramondoSave();
    var name = path.split('/').pop();
    if (!/^Snap\d+\.tga$/i.test(name)) return;
    var link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([FS.readFile(path)], { type: 'image/x-tga' }));
    link.download = name;
    link.click();
    setTimeout(function() { URL.revokeObjectURL(link.href); }, 10000);
};

Module.preRun = Module.preRun || [];
Module.preRun.push(function() {
    ENV.SDL_VIDEODRIVER = 'emscripten';
    ENV.VELTRAMONDO_DATA = '/game';
    FS.mkdirTree(veltramondoHome);
    FS.mount(IDBFS, {}, veltramondoHome);
    addRunDependency('veltramondo-files');
    FS.syncfs(true, function(err) {
        if (err) console.warn('veltramondo: the kept files could not be read: ' + err);
        removeRunDependency('veltramondo-files');
    });
});
