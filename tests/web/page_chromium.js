// Drives the page in Debian's headless Chromium over the DevTools protocol (see page_chromium.sh):
// serves the browser build from a local web server, then
//   1. puts a modest high-score table and the key script into the page's kept files;
//   2. runs the key script on the fixed clock: the first picture appears, the F9 snapshot agrees
//      with the desktop's at 30 dB PSNR or better and is offered as a download, the name entered
//      goes to the table;
//   3. reloads: the language chosen and the table are kept, and keys pressed start a game.
// Arguments: node_modules, web folder, key script, frames, game options, desktop snapshot, table.
'use strict';
const [modules, web, keysFile, frames, options, desktopSnap, desktopTable] = process.argv.slice(2);
const CDP = require(modules + '/chrome-remote-interface');
const { spawn } = require('child_process');
const fs = require('fs'), http = require('http'), os = require('os'), path = require('path'), zlib = require('zlib');

const HOME = '/home/web_user', USER = HOME + '/.local/share/Pellovar/Veltramondo';
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
let failed = false;
const fail = (text) => { console.log('FAIL: ' + text); failed = true; };

function serve(folder) {
    const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png' };
    const server = http.createServer((req, res) => {
        const file = path.join(folder, path.normalize(decodeURIComponent(new URL(req.url, 'http://x').pathname)));
        fs.readFile(file, (err, data) => {
            if (err) { res.writeHead(404); res.end(); return; }
            res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
            res.end(data);
        });
    });
    return new Promise((ok) => server.listen(0, '127.0.0.1', () => ok(server)));
}

// The RGB(A) pixels of a PNG as Chromium writes its screenshots (8 bits, not interlaced).
function pngPixels(png) {
    let at = 8, width = 0, height = 0, channels = 0;
    const data = [];
    while (at < png.length) {
        const length = png.readUInt32BE(at), type = png.toString('ascii', at + 4, at + 8), body = png.subarray(at + 8, at + 8 + length);
        if (type === 'IHDR') { width = body.readUInt32BE(0); height = body.readUInt32BE(4); channels = body[9] === 6 ? 4 : 3; }
        if (type === 'IDAT') data.push(body);
        at += 12 + length;
    }
    const raw = zlib.inflateSync(Buffer.concat(data)), stride = width * channels, out = Buffer.alloc(stride * height);
    for (let y = 0; y < height; y++) {
        const filter = raw[y * (stride + 1)], line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
        for (let x = 0; x < stride; x++) {
            const a = x >= channels ? out[y * stride + x - channels] : 0, b = y ? out[(y - 1) * stride + x] : 0;
            const c = x >= channels && y ? out[(y - 1) * stride + x - channels] : 0;
            const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
            const predict = [0, a, b, (a + b) >> 1, pa <= pb && pa <= pc ? a : pb <= pc ? b : c][filter];
            out[y * stride + x] = (line[x] + predict) & 255;
        }
    }
    return { width, height, channels, pixels: out };
}

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
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'veltramondo-chromium-'));
    const chrome = spawn('chromium', ['--headless=new', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
        '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run',
        '--user-data-dir=' + profile, '--remote-debugging-port=0', '--window-size=800,600', 'about:blank']);
    const port = await new Promise((ok, no) => {
        let text = '';
        chrome.stderr.on('data', (d) => { text += d; const m = /DevTools listening on ws:\/\/[^:]+:(\d+)/.exec(text); if (m) ok(+m[1]); });
        chrome.on('exit', () => no(new Error('chromium ended: ' + text.slice(-400))));
    });
    const client = await CDP({ port, target: (await CDP.List({ port })).find((t) => t.type === 'page') });
    const { Browser, Page, Runtime, Input } = client;
    const downloads = path.join(profile, 'downloads');
    await Browser.setDownloadBehavior({ behavior: 'allow', downloadPath: downloads });
    Page.javascriptDialogOpening((e) => { fail('the page showed a dialog: ' + e.message); Page.handleJavaScriptDialog({ accept: true }); });
    Runtime.exceptionThrown((e) => fail('exception: ' + (e.exceptionDetails.exception || {}).description));
    await Page.enable();
    await Runtime.enable();
    // While a navigation replaces the page there is nothing to evaluate in: the answer is then undefined.
    const evaluate = async (expression) => {
        try {
            return (await Runtime.evaluate({ expression, returnByValue: true, awaitPromise: true })).result.value;
        } catch (e) {
            return undefined;
        }
    };
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
    let first = 0;
    while (!first && Date.now() - start < 30000) {
        let shot;
        try {
            shot = pngPixels(Buffer.from((await Page.captureScreenshot({ format: 'png' })).data, 'base64'));
        } catch (e) {
            await sleep(50);
            continue;
        }
        let lit = 0;
        for (let i = 0; i < shot.pixels.length; i += shot.channels) if (shot.pixels[i] + shot.pixels[i + 1] + shot.pixels[i + 2] > 60) lit++;
        if (lit > shot.width * shot.height / 10) first = Date.now() - start;
        else await sleep(50);
    }
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
    await sleep(1500);
    const key = async (k, code, vk, text) => {
        await Input.dispatchKeyEvent({ type: 'keyDown', key: k, code, windowsVirtualKeyCode: vk, text });
        await sleep(150);
        await Input.dispatchKeyEvent({ type: 'keyUp', key: k, code, windowsVirtualKeyCode: vk });
        await sleep(700);
    };
    await key('a', 'KeyA', 65, 'a');
    await key('Enter', 'Enter', 13, '\r');
    const playing = until(`(function() { try { return / state play /.test(new TextDecoder().decode(FS.readFile('${HOME}/trace2.txt'))); } catch (e) { return false; } })()`,
        20, 'keys did not start a game');
    const started = await playing;
    const trace2 = Buffer.from((await readFile(HOME + '/trace2.txt')) || []).toString();
    if (/ state language /.test(trace2.split('\n')[0] + ' ')) fail('the reloaded page asked for the language again');

    console.log(`first picture ${first} ms after navigation; snapshot against the desktop's: PSNR ${quality.toFixed(1)} dB, offered as a download; ` +
        `language and table kept over a reload; keys ${started ? 'started' : 'did not start'} a game`);
    await client.close();
    const ended = new Promise((ok) => chrome.on('exit', ok));
    chrome.kill();
    await ended;
    server.close();
    fs.rmSync(profile, { recursive: true, force: true, maxRetries: 20, retryDelay: 250 });
    process.exit(failed ? 1 : 0);
})().catch((e) => { console.log('FAIL: ' + e.stack); process.exit(1); });
