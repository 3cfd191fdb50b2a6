// The browser build under Debian's headless Chromium, for the page's test and its benchmark: a
// local web server for the build's folder, Chromium with software WebGL (SwiftShader) and a fresh
// profile driven over the DevTools protocol, and the pixels of its PNG screenshots.
'use strict';
const { spawn } = require('child_process');
const fs = require('fs'), http = require('http'), os = require('os'), path = require('path'), zlib = require('zlib');

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Serves `folder` on a free port of 127.0.0.1; resolves to the server.
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

// Starts Chromium with a fresh profile and connects to its page (CDP: chrome-remote-interface).
// Resolves to { client, profile, close, evaluate }; evaluate answers undefined while a
// navigation replaces the page.
async function launch(CDP, extra) {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'veltramondo-chromium-'));
    const chrome = spawn('chromium', ['--headless=new', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
        '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run',
        '--user-data-dir=' + profile, '--remote-debugging-port=0', ...(extra || []), 'about:blank'], { detached: true });
    // However the test ends, the browser and its helpers (one process group) end with it.
    process.on('exit', () => {
        try {
            process.kill(-chrome.pid, 'SIGKILL');
        } catch (e) {
            // already gone
        }
    });
    const port = await new Promise((ok, no) => {
        let text = '';
        chrome.stderr.on('data', (d) => { text += d; const m = /DevTools listening on ws:\/\/[^:]+:(\d+)/.exec(text); if (m) ok(+m[1]); });
        chrome.on('exit', () => no(new Error('chromium ended: ' + text.slice(-400))));
    });
    const client = await CDP({ port, target: (await CDP.List({ port })).find((t) => t.type === 'page') });
    const evaluate = async (expression) => {
        try {
            return (await client.Runtime.evaluate({ expression, returnByValue: true, awaitPromise: true })).result.value;
        } catch (e) {
            return undefined;
        }
    };
    const close = async () => {
        await client.close();
        // Chromium's helper processes share its process group: they end with it.
        const ended = new Promise((ok) => chrome.on('exit', ok));
        process.kill(-chrome.pid, 'SIGTERM');
        await ended;
        await sleep(500);
        fs.rmSync(profile, { recursive: true, force: true, maxRetries: 20, retryDelay: 250 });
    };
    return { client, profile, close, evaluate };
}

// Milliseconds until a screenshot shows a picture (a tenth of its pixels lit), from `start`;
// 0 when none came within `seconds`.
async function firstPicture(Page, start, seconds) {
    while (Date.now() - start < seconds * 1000) {
        let shot;
        try {
            shot = pngPixels(Buffer.from((await Page.captureScreenshot({ format: 'png' })).data, 'base64'));
        } catch (e) {
            await sleep(50);
            continue;
        }
        let lit = 0;
        for (let i = 0; i < shot.pixels.length; i += shot.channels) if (shot.pixels[i] + shot.pixels[i + 1] + shot.pixels[i + 2] > 60) lit++;
        if (lit > shot.width * shot.height / 10) return Date.now() - start;
        await sleep(50);
    }
    return 0;
}

module.exports = { sleep, serve, launch, firstPicture };
