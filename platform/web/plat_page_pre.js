// The page's side of the game's start-up: command-line options from the query string, the
// drivers of SDL, the per-user folders kept in IndexedDB (loaded before the game starts, saved
// after every durable write, noted in local storage until then), and the loading bar.
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
// The window menu's drawer asks WebGL, every frame, for two values that cost a wait until the
// GPU has finished all the frame drawn so far (SwiftShader draws it on the CPU meanwhile): the
// polygon mode, which WebGL does not have (its polygons are always filled; the question is an
// error that goes all the way to the GPU), and the scissor box, which only scissor() changes.
// Both are answered here, and the page draws at the display's rate.
(function() {
    var POLYGON_MODE = 0x0B40, FILL = 0x1B02, SCISSOR_BOX = 0x0C10;
    [self.WebGLRenderingContext, self.WebGL2RenderingContext].forEach(function(context) {
        if (!context) return;
        var get = context.prototype.getParameter, scissor = context.prototype.scissor;
        context.prototype.scissor = function(x, y, width, height) {
            if (width >= 0 && height >= 0) this.veltramondoScissor = new Int32Array([x, y, width, height]);
            return scissor.apply(this, arguments);
        };
        context.prototype.getParameter = function(name) {
            if (name === POLYGON_MODE) return new Int32Array([FILL, FILL]);
            if (name !== SCISSOR_BOX) return get.apply(this, arguments);
            if (!this.veltramondoScissor) this.veltramondoScissor = get.apply(this, arguments);
            return new Int32Array(this.veltramondoScissor);
        };
    });
})();

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
// IndexedDB is written in the background, and a page closed meanwhile loses the write. So every
// small file kept (or removed) is noted in the page's local storage at once, which is written
// before the call returns, until a save that carries it has finished; the next start puts the
// notes it finds back into the files before the game reads them.
var veltramondoNote = 'veltramondo-note:', veltramondoNoteMax = 262144;
var veltramondoNoted = {}, veltramondoNotes = 0;

function veltramondoNoteFile(path) {
    try {
        var node = FS.analyzePath(path), text = '';
        if (node.exists) {
            var bytes = FS.readFile(path);
            if (bytes.length > veltramondoNoteMax) return;
            for (var i = 0; i < bytes.length; i += 8192)
                text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
            text = '+' + btoa(text);
        }
        localStorage.setItem(veltramondoNote + path, text);
        veltramondoNoted[path] = ++veltramondoNotes;
    } catch (e) {
        console.warn('veltramondo: ' + path + ' could not be noted: ' + e);
    }
}

function veltramondoNotesRestore() {
    try {
        for (var i = localStorage.length - 1; i >= 0; i--) {
            var key = localStorage.key(i);
            if (key.indexOf(veltramondoNote) !== 0) continue;
            var path = key.slice(veltramondoNote.length), text = localStorage.getItem(key);
            if (path.indexOf(veltramondoHome + '/') !== 0) { localStorage.removeItem(key); continue; }
            if (text) {
                var raw = atob(text.slice(1)), bytes = new Uint8Array(raw.length);
                for (var j = 0; j < raw.length; j++) bytes[j] = raw.charCodeAt(j);
                FS.mkdirTree(path.slice(0, path.lastIndexOf('/')));
                FS.writeFile(path, bytes);
            } else if (FS.analyzePath(path).exists) {
                FS.unlink(path);
            }
            veltramondoNoted[path] = ++veltramondoNotes;
        }
    } catch (e) {
        console.warn('veltramondo: the noted files could not be read: ' + e);
    }
}

// Saves the per-user folders to IndexedDB; a save asked for while one runs follows it.
Module.veltramondoSave = function() {
    if (veltramondoSaving) { veltramondoSaveAgain = true; return; }
    veltramondoSaving = true;
    var carried = veltramondoNotes;
    FS.syncfs(false, function(err) {
        if (err) console.warn('veltramondo: the files could not be kept in the browser: ' + err);
        else for (var path in veltramondoNoted) {
            if (veltramondoNoted[path] > carried) continue;
            delete veltramondoNoted[path];
            try { localStorage.removeItem(veltramondoNote + path); } catch (e) {}
        }
        veltramondoSaving = false;
        Module.veltramondoSaved = (Module.veltramondoSaved || 0) + 1;
        if (veltramondoSaveAgain) { veltramondoSaveAgain = false; Module.veltramondoSave(); }
    });
};

// A file written whole (or removed): kept in the browser, and a snapshot (F9) handed to the player too.
Module.veltramondoKept = function(path) {
    veltramondoNoteFile(path);
    Module.veltramondoSave();
    var name = path.split('/').pop();
    if (!/^Snap\d+\.tga$/i.test(name) || !FS.analyzePath(path).exists) return;
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
        veltramondoNotesRestore();
        if (veltramondoNotes) Module.veltramondoSave();
        removeRunDependency('veltramondo-files');
    });
});
