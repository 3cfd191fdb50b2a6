// Drives the page in Debian's headless Chromium over the DevTools protocol (see page_chromium.sh):
// serves the browser build from a local web server, then
//   1. puts a modest high-score table and the key script into the page's kept files;
//   2. runs the key script on the fixed clock: the first picture appears, the F9 snapshot agrees
//      with the desktop's at 30 dB PSNR or better and is offered as a download, the name entered
//      goes to the table;
//   3. reloads: the language chosen and the table are kept, and keys pressed start a game; in
//      play a click locks the pointer, F4 and Alt+Enter go fullscreen and back;
//   4. reloads in that game with a pad: the game was kept, a pad button opens the menu, which
//      offers CONTINUE, and a tap chooses it; a hidden page stops the game, which then goes on.
// Arguments: node_modules, web folder, key script, frames, game options, desktop snapshot, table.
'use strict';
const [modules, web, keysFile, frames, options, desktopSnap, desktopTable] = process.argv.slice(2);
const fs = require('fs'), path = require('path');
const CDP = require(path.resolve(modules, 'chrome-remote-interface'));
const { sleep, serve, launch, firstPicture } = require('./chromium.js');

const HOME = '/home/web_user', USER = HOME + '/.local/share/Pellovar/Veltramondo';
let failed = false;
const fail = (text) => { console.log('FAIL: ' + text); failed = true; };

// PSNR of two uncompressed 24-bit TGA pictures of the same size.
function psnr(a, b) {
    const header = (t) => [t[12] | t[13] << 8, t[14] | t[15] << 8, t[16]].join('x');
    if (header(a) !== header(b)) return -1;
    const pa = a.subarray(18 + a[0]), pb = b.subarray(18 + b[0]), n = Math.min(pa.length, pb.length);
    let sum = 0;
    for (let i = 0; i < n; i++) sum += (pa[i] - pb[i]) ** 2;
    return sum ? 10 * Math.log10(255 * 255 * n / sum) : Infinity;
}

(async () => {
    const server = await serve(web), base = `http://127.0.0.1:${server.address().port}/index.html`;
    const { client, profile, close, evaluate } = await launch(CDP, ['--window-size=800,600']);
    const { Browser, Page, Runtime, Input } = client;
    const downloads = path.join(profile, 'downloads');
    await Browser.setDownloadBehavior({ behavior: 'allow', downloadPath: downloads });
    Page.javascriptDialogOpening((e) => { fail('the page showed a dialog: ' + e.message); Page.handleJavaScriptDialog({ accept: true }); });
    Runtime.exceptionThrown((e) => fail('exception: ' + (e.exceptionDetails.exception || {}).description));
    await Page.enable();
    await Runtime.enable();
    const until = async (expression, seconds, what) => {
        for (const end = Date.now() + seconds * 1000; Date.now() < end; await sleep(100))
            if (await evaluate(expression)) return true;
        fail(what);
        return false;
    };
    const readFile = (name) => evaluate(`(function() { try { return Array.from(FS.readFile(${JSON.stringify(name)})); } catch (e) { return null; } })()`);
    const saved = () => until('typeof veltramondoSaving !== "undefined" && !veltramondoSaving', 10, 'the files were not saved');
    const query = (opts) => '?' + opts.trim().split(/\s+/).join(' ').replace(/--([\w-]+)(?: ([^-\s][^\s]*))?/g, (m, k, v) => `${k}${v !== undefined ? '=' + v : ''}&`).replace(/ /g, '').replace(/&$/, '');

    // 1. The kept files: a modest table and the key script.
    console.log('kept files');
    await Page.navigate({ url: base + '?language=1&frames=2' });
    await until('!document.getElementById("ended").hidden', 60, 'the first page did not run');
    const table = Array.from(fs.readFileSync(path.join(path.dirname(keysFile), 'node/data/Pellovar/Veltramondo/highscor.dat')));
    await evaluate(`FS.mkdirTree(${JSON.stringify(USER)}); FS.writeFile(${JSON.stringify(USER + '/highscor.dat')}, new Uint8Array(${JSON.stringify(table)}));
        FS.writeFile('${HOME}/keys.txt', ${JSON.stringify(fs.readFileSync(keysFile, 'utf8'))}); Module.veltramondoSave(); true`);
    await saved();

    // 2. The key script on the fixed clock; the first picture is timed from the navigation.
    console.log('the key script');
    const start = Date.now();
    await Page.navigate({ url: `${base}${query(options)}&script=${HOME}/keys.txt&frames=${frames}&trace-game=${HOME}/trace.txt` });
    const first = await firstPicture(Page, start, 30);
    if (!first) fail('no picture within 30 s');
    await until('!document.getElementById("ended").hidden', 240, 'the scripted game did not end');
    await saved();
    const trace = Buffer.from((await readFile(HOME + '/trace.txt')) || []).toString();
    if (!/ state play /.test(trace) || !/ state entry /.test(trace)) fail('the scripted game did not play and reach the name entry');
    const snap = await readFile(USER + '/Snap0000.tga');
    const quality = snap ? psnr(Buffer.from(snap), fs.readFileSync(desktopSnap)) : -1;
    if (quality < 30) fail(`the snapshot does not agree with the desktop's: PSNR ${quality.toFixed(1)} dB`);
    const offered = fs.existsSync(path.join(downloads, 'Snap0000.tga')) && snap &&
        fs.readFileSync(path.join(downloads, 'Snap0000.tga')).equals(Buffer.from(snap));
    if (!offered) fail('the snapshot was not offered as a download');

    // 3. A reload keeps the language and the table; keys start a game.
    console.log('a reload');
    await Page.navigate({ url: `${base}?fixed-ticks=3&trace-game=${HOME}/trace2.txt` });
    await until('typeof Module !== "undefined" && Module.calledRun', 30, 'the reloaded page did not start');
    const ini = Buffer.from((await readFile(HOME + '/.config/veltramondo/veltramondo.ini')) || []).toString();
    if (!/Language=2/.test(ini)) fail('the language chosen was not kept');
    const kept = Buffer.from((await readFile(USER + '/highscor.dat')) || []);
    if (!kept.equals(fs.readFileSync(desktopTable))) fail('the high-score table was not kept as the desktop game wrote it');
    if (!/WEB/.test(kept.toString('latin1'))) fail('the name entered is not in the table');
    const key = async (k, code, vk, text) => {
        await Input.dispatchKeyEvent({ type: 'keyDown', key: k, code, windowsVirtualKeyCode: vk, text });
        await sleep(150);
        await Input.dispatchKeyEvent({ type: 'keyUp', key: k, code, windowsVirtualKeyCode: vk });
    };
    const reached = (state, seconds, trace = 'trace2') => until(`(function() { try { return / state ${state} /.test(new TextDecoder().decode(
        FS.readFile('${HOME}/${trace}.txt'))); } catch (e) { return false; } })()`, seconds, `the game did not reach the state ${state}`);
    // Any key opens the menu over attract mode; Return starts a game.
    let started = await reached('attract', 30);
    if (started) await key('a', 'KeyA', 65, 'a');
    started = started && await reached('menu', 10);
    for (let tries = 0; started && tries < 3; tries++) {
        await sleep(700);
        await key('Enter', 'Enter', 13, '\r');
        if (await evaluate(`/ state play /.test(new TextDecoder().decode(FS.readFile('${HOME}/trace2.txt')))`)) break;
        await sleep(2000);
    }
    started = started && await reached('play', 20);
    const rect = async () => evaluate('(function() { var r = document.getElementById("canvas").getBoundingClientRect(); return [r.x, r.y, r.width, r.height]; })()');
    const full = () => evaluate('String(document.fullscreenElement && document.fullscreenElement.id)');
    if (started) {
        const r = await rect();
        for (const type of ['mousePressed', 'mouseReleased'])
            await Input.dispatchMouseEvent({ type, x: r[0] + r[2] / 2, y: r[1] + r[3] / 2, button: 'left', clickCount: 1 });
        await until('document.pointerLockElement === document.getElementById("canvas")', 5, 'a click in play did not lock the pointer');
        const alt = (type) => Input.dispatchKeyEvent({ type, key: 'Alt', code: 'AltLeft', windowsVirtualKeyCode: 18, modifiers: type === 'keyUp' ? 0 : 1 });
        for (const [name, press] of [['F4', () => key('F4', 'F4', 115)],
            ['Alt+Enter', async () => { await alt('rawKeyDown'); await key('Enter', 'Enter', 13, '\r'); await alt('keyUp'); }]]) {
            await press();
            await until('document.fullscreenElement === document.getElementById("canvas")', 5, name + ' did not go fullscreen');
            await sleep(300);
            await press();
            await until('!document.fullscreenElement', 5, name + ' did not leave fullscreen');
            await sleep(300);
        }
    }
    const trace2 = Buffer.from((await readFile(HOME + '/trace2.txt')) || []).toString();
    if (/ state language /.test(trace2.split('\n')[0] + ' ')) fail('the reloaded page asked for the language again');

    // 4. Closing the page in play keeps the game; CONTINUE leaves it kept.
    console.log('a reload in play');
    await Page.addScriptToEvaluateOnNewDocument({ source: `(function() {
        var buttons = [];
        for (var i = 0; i < 17; i++) buttons.push({ pressed: false, touched: false, value: 0 });
        window.testPad = { id: 'Test pad', index: 0, connected: true, mapping: 'standard', timestamp: 1, axes: [0, 0, 0, 0], buttons: buttons };
        navigator.getGamepads = function() { return [window.testPad]; };
    })();` });
    const padSouth = async () => {
        for (const down of [true, false]) {
            await evaluate(`testPad.buttons[0].pressed = ${down}; testPad.buttons[0].value = ${+down}; testPad.timestamp++`);
            await sleep(200);
        }
    };
    const keptGame = USER + '/kept.dat', keptThere = `FS.analyzePath('${keptGame}').exists`;
    await Page.navigate({ url: `${base}?fixed-ticks=3&trace-game=${HOME}/trace3.txt` });
    await until('typeof Module !== "undefined" && Module.calledRun', 30, 'the page did not start after a reload in play');
    let continued = started && await evaluate(keptThere) && await reached('attract', 30, 'trace3');
    if (started && !continued) fail('the game in play was not kept over a reload');
    const tap = async () => {
        const r = await rect();
        await Input.dispatchTouchEvent({ type: 'touchStart', touchPoints: [{ x: r[0] + r[2] / 2, y: r[1] + r[3] * 0.6 }] });
        await sleep(80);
        await Input.dispatchTouchEvent({ type: 'touchEnd', touchPoints: [] });
    };
    if (continued) await padSouth();
    continued = continued && await reached('menu', 10, 'trace3');
    if (continued) await sleep(700), await tap();
    continued = continued && await reached('play', 10, 'trace3') && await evaluate(keptThere);
    if (started && !continued) fail('a pad and a tap did not continue the kept game');
    // Hidden, the page runs no pass; shown again, the game goes on.
    const passes = async () => (await readFile(HOME + '/trace3.txt') || []).filter((c) => c === 10).length;
    const hide = (hidden) => evaluate(`Object.defineProperty(document, 'hidden', { configurable: true, value: ${hidden} });
        Object.defineProperty(document, 'visibilityState', { configurable: true, value: '${hidden ? 'hidden' : 'visible'}' });
        document.dispatchEvent(new Event('visibilitychange'))`);
    if (continued) {
        await hide(true);
        const hidden = await passes();
        await sleep(1000);
        if (await passes() !== hidden) fail('a hidden page went on running the game');
        await hide(false);
        let resumed = false;
        for (let i = 0; i < 50 && !resumed; i++, await sleep(100)) resumed = await passes() > hidden;
        if (!resumed) fail('the game did not go on when the page showed again');
    }

    console.log(`first picture ${first} ms after navigation; snapshot against the desktop's: PSNR ${quality.toFixed(1)} dB, offered as a download; ` +
        `language and table kept over a reload; keys ${started ? 'started' : 'did not start'} a game; a pad and a tap ${continued ? 'continued' : 'did not continue'} it after a reload`);
    await close();
    server.close();
    process.exit(failed ? 1 : 0);
})().catch((e) => { console.log('FAIL: ' + e.stack); process.exit(1); });
