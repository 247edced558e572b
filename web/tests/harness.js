'use strict';

// The map page in jsdom for the page's tests: gps2.html with the scripts it
// lists, a layout and canvas stand-in (jsdom has neither), and optionally a
// scripted XMLHttpRequest in place of the map service.

const fs = require('node:fs');
const path = require('node:path');
const { JSDOM, VirtualConsole } = require('jsdom');

const WEB = path.join(__dirname, '..');
const PAGE = path.join(WEB, 'gps2.html');
const FIXTURES = process.env.MARLU_FIXTURES || path.join(__dirname, '../../../shared/fixtures');

function noopContext() {
    const gradient = { addColorStop() {} };
    return new Proxy({}, {
        get: (target, key) => (key in target ? target[key] : () => gradient),
        set: (target, key, value) => { target[key] = value; return true; },
    });
}

// An element's size is its inline px size, else the window's 800x600.
function stubLayout(window) {
    const px = (value, fallback) => (/^\d+px$/.test(value) ? parseInt(value, 10) : fallback);
    for (const [prop, dim, fallback] of [['clientWidth', 'width', 800], ['clientHeight', 'height', 600],
        ['offsetWidth', 'width', 800], ['offsetHeight', 'height', 600]]) {
        Object.defineProperty(window.HTMLElement.prototype, prop, {
            configurable: true,
            get() { return px(this.style[dim], fallback); },
        });
    }
    window.HTMLCanvasElement.prototype.getContext = noopContext;
    // Leaflet's test for SVG support; without it paths get no renderer.
    window.SVGSVGElement.prototype.createSVGRect = () => ({});
}

// Directions requests get the replies queued in `server.replies` in turn
// ({status, body, xml} where xml also fills responseXML, {hang: true} or
// {throws: true} for a send() that fails at once); other requests never
// answer. Timers of 30 s and more are not started but kept in
// `server.longTimers`, for the tests to fire.
function installServer(w) {
    const server = { replies: [], requests: [], longTimers: [] };
    class FakeXhr {
        constructor() { this.readyState = 0; this.status = 0; this.responseText = ''; this.responseXML = null; }
        open(method, url, async) { Object.assign(this, { method, url, async, readyState: 1 }); }
        send() {
            if (!this.url.includes('/directions/')) { return; }
            server.requests.push(this);
            const reply = server.replies.shift() || { status: 404, body: '' };
            if (reply.throws) { throw new Error('network down'); }
            if (!reply.hang) { w.setTimeout(() => this.respond(reply), 0); }
        }
        respond({ status, body, xml }) {
            if (this.aborted) { return; }
            this.status = status;
            this.responseText = body;
            this.responseXML = xml ? new w.DOMParser().parseFromString(body, 'text/xml') : null;
            this.readyState = 4;
            if (this.onreadystatechange) { this.onreadystatechange(); }
        }
        abort() {
            this.aborted = true;
            this.readyState = 4;
            if (this.onreadystatechange) { this.onreadystatechange(); }
        }
    }
    w.XMLHttpRequest = FakeXhr;
    const realSetTimeout = w.setTimeout.bind(w);
    w.setTimeout = (fn, ms, ...args) => {
        if (ms >= 30000) { server.longTimers.push(fn); return -1; }
        return realSetTimeout(fn, ms, ...args);
    };
    return server;
}

// Loads the page. `before(window)` runs before the page's scripts, like the
// application injecting its objects; `server: true` installs the scripted
// service and serves the page from its host, else from the file.
function loadPage({ before, server: scripted = false } = {}) {
    const errors = [];
    const virtualConsole = new VirtualConsole();
    virtualConsole.on('jsdomError', (e) => errors.push(e));
    virtualConsole.on('error', (e) => errors.push(e));
    const dom = new JSDOM(fs.readFileSync(PAGE, 'utf8'), {
        url: scripted ? 'http://localhost:8717/gps2.html' : 'file://' + PAGE,
        runScripts: 'outside-only', pretendToBeVisual: true, virtualConsole });
    const w = dom.window;
    stubLayout(w);
    const server = scripted ? installServer(w) : null;
    if (before) { before(w); }
    for (const script of w.document.querySelectorAll('script[src]')) {
        w.eval(fs.readFileSync(path.join(WEB, script.getAttribute('src')), 'utf8'));
    }
    return {
        window: w, server, errors,
        run: (code) => w.eval(code),
        json: (code) => JSON.parse(w.eval(`JSON.stringify(${code})`)),
        state: () => JSON.parse(w.eval('mapState()')),
        close: () => w.close(),
    };
}

const tick = (ms = 0) => new Promise((r) => setTimeout(r, ms));

async function waitFor(predicate, ms = 5000) {
    const end = Date.now() + ms;
    while (!predicate()) {
        if (Date.now() > end) { throw new Error('timed out'); }
        await tick(5);
    }
}

const fixture = (name) => fs.readFileSync(path.join(FIXTURES, name), 'utf8');

module.exports = { loadPage, waitFor, tick, fixture };
