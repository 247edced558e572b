'use strict';

// The page's global API as the application drives it: snippets evaluated in
// the page, effects read back from what the page shows.

const test = require('node:test');
const assert = require('node:assert/strict');
const { loadPage, waitFor, tick, SOURCES } = require('./harness.js');

test('globals exist as soon as the scripts have run', (t) => {
    const page = loadPage();
    t.after(page.close);
    const r = page.run;
    for (const name of ['panBy', 'setZoom', 'getZoom', 'setMapTypeId', 'getMapTypeId', 'setCenter', 'getCenter']) {
        assert.equal(r(`typeof map.${name}`), 'function', name);
    }
    for (const name of ['updateCenter', 'track', 'addMark']) {
        assert.equal(r(`typeof ${name}`), 'function', name);
    }
    assert.equal(r('polyLine'), null);
    assert.equal(r('trafficLayer'), null);
    assert.equal(r('bikeLayer'), null);
    assert.equal(r('radius'), null);
    assert.equal(r('directionsService instanceof google.maps.DirectionsService'), true);
    assert.equal(r('directionsDisplay instanceof google.maps.DirectionsRenderer'), true);
    assert.equal(r('map instanceof google.maps.Map && !(map instanceof L.Map)'), true);
    assert.equal(r('window.pelmarkSeen'), false);
    const s = page.state();
    assert.deepEqual([s.center, s.zoom, s.mapTypeId], [{ lat: 35.8185, lng: -78.8641 }, 3, 'roadmap']);
});

test('snippets the application sends evaluate to undefined or null', (t) => {
    // Anything else is converted to a QVariant, which is slow for big objects.
    const page = loadPage();
    t.after(page.close);
    const snippets = [
        'map.panBy(10, -5);', 'map.setZoom(4);', 'map.setMapTypeId(google.maps.MapTypeId.SATELLITE);',
        'map.setCenter(new google.maps.LatLng(10, 10));', 'updateCenter(true, 10, 10, 50);', 'track(10, 10);',
        'addMark(10, 10, "x");', 'trafficLayer = new google.maps.TrafficLayer(); trafficLayer.setMap(map);',
        'if (trafficLayer) { trafficLayer.setMap(null); trafficLayer=null; }', 'radius=null;',
        'polyLine.setMap(null); polyLine=null;',
        'directionsDisplay.setMap(map); directionsDisplay.setDirections(null); directionsDisplay.setRouteIndex(1);',
    ];
    for (const code of snippets) {
        const value = page.run(code);
        assert.ok(value === undefined || value === null, `${code} gave ${value}`);
    }
});

test('map stand-in', async (t) => {
    const page = loadPage();
    t.after(page.close);
    const r = page.run;

    await t.test('zoom is clamped to 0..18 and reads back as a number at once', () => {
        r('map.setZoom(7);');
        assert.equal(r('map.getZoom()'), 7);
        r('map.setZoom(25);');
        assert.equal(r('map.getZoom()'), 18);
        r('map.setZoom(-3);');
        assert.equal(r('map.getZoom()'), 0);
        r('map.setZoom("5"); map.setZoom("x");');
        assert.equal(r('map.getZoom()'), 5);
    });

    await t.test('panBy moves the centre by pixels', () => {
        r('map.setZoom(5); map.setCenter({lat: 0, lng: 0});');
        r('map.panBy(256, 0);');
        // 2^5 * 256 px span 360 degrees, so 256 px are 11.25 degrees.
        assert.ok(Math.abs(r('map.getCenter().lng()') - 11.25) < 1e-6);
        assert.ok(Math.abs(r('map.getCenter().lat()')) < 1e-6);
        r('map.panBy(0, 100);');
        assert.ok(r('map.getCenter().lat()') < 0);
    });

    await t.test('map types switch and unknown ids are ignored', () => {
        const canvas = page.window.document.getElementById('map_canvas');
        for (const type of ['hybrid', 'satellite', 'terrain', 'roadmap']) {
            r(`map.setMapTypeId("${type}");`);
            assert.equal(r('map.getMapTypeId()'), type);
            assert.ok(canvas.classList.contains('marlu-type-' + type));
            assert.equal([...canvas.classList].filter((c) => c.startsWith('marlu-type-')).length, 1);
        }
        r('map.setMapTypeId("moon");');
        assert.equal(r('map.getMapTypeId()'), 'roadmap');
    });
});

test('updateCenter', async (t) => {
    const page = loadPage();
    t.after(page.close);
    const r = page.run;

    await t.test('shows the position and centres only for the literal true', () => {
        r('map.setCenter({lat: 0, lng: 0});');
        for (const flag of ['"true"', '1', 'false', 'undefined']) {
            r(`updateCenter(${flag}, 48.5, 9.25, 0);`);
            assert.deepEqual(page.state().position, { lat: 48.5, lng: 9.25 });
            assert.deepEqual(page.state().center, { lat: 0, lng: 0 }, flag);
        }
        r('updateCenter(true, -33.5, 151.25, 0);');
        const s = page.state();
        assert.deepEqual(s.position, { lat: -33.5, lng: 151.25 });
        assert.ok(Math.abs(s.center.lat + 33.5) < 1e-6 && Math.abs(s.center.lng - 151.25) < 1e-6);
        assert.equal(page.window.document.querySelectorAll('#map_canvas .marlu-position').length, 1);
    });

    await t.test('draws an accuracy circle only for a positive accuracy', () => {
        r('updateCenter(false, 10, 20, 250);');
        assert.equal(page.state().accuracy, 250);
        assert.equal(r('radius.getRadius()'), 250);
        r('updateCenter(false, 11, 21, 80);');
        assert.equal(page.state().accuracy, 80);
        assert.deepEqual(JSON.parse(r('JSON.stringify(radius.getCenter())')), { lat: 11, lng: 21 });
        r('updateCenter(false, 11, 21, 0);');
        assert.equal(page.state().accuracy, null);
        assert.equal(r('radius'), null);
        r('updateCenter(false, 11, 21, 30);');
        r('updateCenter(false, 11, 21, -1);');
        assert.equal(page.state().accuracy, null);
    });

    await t.test('radius=null; removes the visible circle', () => {
        r('updateCenter(false, 10, 20, 500);');
        assert.equal(r('radius.isDrawn()'), true);
        r('var old = radius;');
        r('radius=null;');
        assert.equal(r('radius'), null);
        assert.equal(r('old.isDrawn()'), false);
        assert.equal(page.state().accuracy, null);
        r('updateCenter(false, 10, 20, 40);');
        assert.equal(page.state().accuracy, 40);
    });

    await t.test('ignores positions that are not numbers', () => {
        r('updateCenter(true, 1, 2, 0);');
        r('updateCenter(true, "abc", 2, 10); updateCenter(true, null, 2, 10); updateCenter(true);');
        assert.deepEqual(page.state().position, { lat: 1, lng: 2 });
    });
});

test('track and polyLine', (t) => {
    const page = loadPage();
    t.after(page.close);
    const r = page.run;
    r('track(1, 1); track(1.5, 2); track(2, 3);');
    assert.equal(r('polyLine.getPath().length'), 3);
    assert.deepEqual(page.state().trackLinesShown, [3]);
    assert.deepEqual(JSON.parse(r('JSON.stringify(polyLine.getPath()[2])')), { lat: 2, lng: 3 });
    r('polyLine.setMap(null); polyLine=null;');
    assert.deepEqual(page.state().trackLinesShown, []);
    r('track(5, 5);');
    assert.equal(r('polyLine.getPath().length'), 1);
    r('track(6, 6);');
    assert.deepEqual(page.state().trackLinesShown, [2]);
});

// What the track's canvas paints: one list of points per stroke.
function recordTrackStrokes(w, strokes) {
    const getContext = w.HTMLCanvasElement.prototype.getContext;
    w.HTMLCanvasElement.prototype.getContext = function (kind) {
        if (!this.classList.contains('marlu-track')) { return getContext.call(this, kind); }
        const point = (x, y) => strokes[strokes.length - 1].push([x, y]);
        return { beginPath: () => strokes.push([]), moveTo: point, lineTo: point, stroke() {}, clearRect() {} };
    };
}

test('a long track keeps every point, joined, and a new point redraws only the last piece', (t) => {
    const strokes = [];
    const page = loadPage({ before: (w) => recordTrackStrokes(w, strokes) });
    t.after(page.close);
    const r = page.run;
    r('for (var i = 0; i < 1200; i++) { track(43.7 + i * 1e-4, 7.4 + (i % 7) * 1e-4); }');
    assert.deepEqual(page.state().trackLinesShown, [1200]);
    assert.equal(r('polyLine.getPath().length'), 1200);
    // Each piece starts where the one before ends.
    const pieces = page.json('polyLine._pieces.map(function (l) { return l.map(function (p) { return [p.lat, p.lng]; }); })');
    assert.ok(pieces.length > 1);
    for (let i = 1; i < pieces.length; i++) {
        assert.deepEqual(pieces[i][0], pieces[i - 1][pieces[i - 1].length - 1]);
    }
    assert.equal(pieces.reduce((n, p) => n + p.length, 0) - (pieces.length - 1), 1200);
    // A pan far from the track rewrites none of its pieces once they are out of view.
    r('map.setZoom(16); map.setCenter({lat: 10, lng: 10}); var drawn = 0, updatePoly = L.SVG.prototype._updatePoly;' +
      'L.SVG.prototype._updatePoly = function () { drawn++; return updatePoly.apply(this, arguments); };' +
      'map.setCenter({lat: 10.01, lng: 10.01});');
    assert.equal(r('drawn'), 0);
    r('map.setCenter({lat: 43.78, lng: 7.4});');
    strokes.length = 0;
    r('map.setZoom(13);');
    assert.ok(r('drawn') > 0, 'pieces back in view are drawn again');
    // The finished pieces are painted point by point where the map puts them.
    const expected = page.json('polyLine._pieces.slice(0, -1).map(function (l) {' +
        'var at = L.DomUtil.getPosition(document.querySelector("canvas.marlu-track"));' +
        'return l.map(function (p) { var q = map._leaflet.latLngToLayerPoint(p); return [q.x - at.x, q.y - at.y]; }); })');
    assert.equal(strokes.length, expected.length);
    strokes.forEach((stroke, i) => {
        assert.equal(stroke.length, expected[i].length);
        stroke.forEach(([x, y], k) => assert.ok(Math.hypot(x - expected[i][k][0], y - expected[i][k][1]) < 1,
            `piece ${i} point ${k} painted at ${x},${y}, not ${expected[i][k]}`));
    });
    r('map.setZoom(3);');
    // The points looked at for one more point: the last piece's, not the line's.
    r('var projected = 0, project = L.Map.prototype.latLngToLayerPoint;' +
      'L.Map.prototype.latLngToLayerPoint = function () { projected++; return project.apply(this, arguments); };' +
      'track(43.83, 7.41);');
    assert.ok(r('projected') <= r('google.maps.Polyline.PIECE'), `projected ${r('projected')} points`);
    assert.equal(r('polyLine.getPath()[1200].lat()'), 43.83);
    r('polyLine.setPath([{lat: 1, lng: 1}, {lat: 2, lng: 2}]);');
    assert.deepEqual([page.state().trackLinesShown, r('polyLine.pieceCount()')], [[2], 1]);
    r('polyLine.setMap(null); polyLine=null;');
    assert.deepEqual(page.state().trackLinesShown, []);
    assert.equal(page.window.document.querySelectorAll('path.leaflet-interactive, svg path, canvas.marlu-track').length, 0);
});

test('addMark shows its text literally', (t) => {
    const page = loadPage({ before: (w) => { w.alert = () => { w.alerted = true; }; } });
    t.after(page.close);
    const texts = ['<img src=x onerror=alert(1)>', 'Fish & Chips <b>bold</b>', '  two  spaces ', '', 'Zoë ☕ 東京'];
    texts.forEach((text, i) => page.run(`addMark(${i}, ${i}, ${JSON.stringify(text)});`));
    const marks = page.state().marks;
    assert.deepEqual(marks.map((m) => m.text), texts);
    assert.deepEqual(marks.map((m) => [m.lat, m.lng]), texts.map((_, i) => [i, i]));
    const doc = page.window.document;
    assert.equal(doc.querySelectorAll('#map_canvas .marlu-mark img, #map_canvas .marlu-mark b').length, 0);
    assert.equal(page.window.alerted, undefined);
    page.run('addMark(1, 2);');
    assert.equal(page.state().marks.at(-1).text, '');

    page.run('updateCenter(true, 3, 4, 0);');
    assert.equal(page.run('clearMarks()'), undefined);
    assert.deepEqual(page.state().marks, []);
    assert.equal(doc.querySelectorAll('#map_canvas .marlu-mark').length, 0);
    assert.notEqual(page.state().position, null);
});

// Loads the page with the service's sources (`sets` replaced into them) and
// waits until its tiles are set up.
async function tiledPage(t, { sets = {}, sources, storage } = {}) {
    const body = JSON.stringify({ sets: { ...SOURCES.sets, ...sets } });
    const page = loadPage({ storage, before: (w, server) => { server.sources = sources || { status: 200, body }; } });
    t.after(page.close);
    await waitFor(() => page.state().tileSources !== 'loading');
    return page;
}

const tileImages = (page, set) => page.window.document.querySelectorAll(`#map_canvas .marlu-tiles-${set} img`);

test('tile sets', async (t) => {
    const page = await tiledPage(t);
    const r = page.run;
    const shown = () => { const s = page.state(); return [s.tiles.base, s.tiles.overlays, s.tiles.attribution]; };
    const OSM = '© OpenStreetMap contributors, GeoNames, Natural Earth';
    assert.equal(page.state().tileSources, 'ok');

    await t.test('each map type shows its set, or the street map and a note where it has none', () => {
        assert.deepEqual(shown(), ['roadmap', [], OSM]);
        assert.match(tileImages(page, 'roadmap')[0].src, /^http:\/\/localhost:8717\/tiles\/roadmap\/3\/\d+\/\d+\.png$/);
        r('map.setMapTypeId("satellite");');
        assert.deepEqual(shown(), ['satellite', [], 'NASA Blue Marble']);
        assert.equal(tileImages(page, 'roadmap').length, 0);
        r('map.setZoom(4);');
        assert.deepEqual(shown(), ['roadmap', [], `${OSM} · No imagery at this zoom`]);
        r('map.setMapTypeId("hybrid"); map.setZoom(2);');
        assert.deepEqual(shown(), ['hybrid', [], 'NASA Blue Marble, GeoNames']);
        r('map.setMapTypeId("terrain");');
        assert.deepEqual(shown(), ['roadmap', [], `${OSM} · No terrain data`]);
        r('map.setMapTypeId("roadmap");');
        assert.deepEqual(shown(), ['roadmap', [], OSM]);
    });

    await t.test('overlays: traffic only says it has no data; cycle paths from zoom 10', () => {
        const on = (name, ctor) => r(`${name} = new google.maps.${ctor}(); ${name}.setMap(map);`);
        const off = (name) => r(`if (${name}) { ${name}.setMap(null); ${name}=null; }`);
        off('trafficLayer');   // the guarded snippet works before anything is on
        on('trafficLayer', 'TrafficLayer');
        assert.deepEqual(shown(), ['roadmap', [], `${OSM} · No traffic data`]);
        on('bikeLayer', 'BicyclingLayer');
        assert.deepEqual(page.state().layers, { traffic: true, bicycling: true });
        assert.deepEqual(shown(), ['roadmap', [], `${OSM} · No traffic data`], 'no cycle paths at zoom 2');
        r('map.setZoom(12);');
        assert.deepEqual(shown(), ['roadmap', ['bicycling'], `${OSM} · No traffic data`]);
        assert.ok(tileImages(page, 'bicycling').length > 0);
        off('trafficLayer');
        assert.deepEqual(page.state().layers, { traffic: false, bicycling: true });
        off('bikeLayer');
        assert.deepEqual(shown(), ['roadmap', [], OSM]);
        assert.equal(tileImages(page, 'bicycling').length, 0);
    });

    await t.test('a scale bar and the attribution line, bottom left', () => {
        const doc = page.window.document;
        assert.equal(doc.querySelectorAll('#map_canvas .leaflet-bottom.leaflet-left .leaflet-control-scale').length, 1);
        const line = doc.querySelector('#map_canvas .leaflet-bottom.leaflet-left .marlu-attribution');
        assert.equal(line.textContent, OSM);
    });
});

test('the street map says where it has no streets, from town zooms on', async (t) => {
    const roadmap = { ...SOURCES.sets.roadmap, streets: [[7.349, 43.715, 7.491, 43.77]] };
    const page = await tiledPage(t, { sets: { roadmap } });
    const at = (lat, lng, zoom) => {
        page.run(`map.setZoom(${zoom}); map.setCenter(new google.maps.LatLng(${lat}, ${lng}));`);
        return page.state().tiles.attribution;
    };
    assert.equal(at(43.7384, 7.4246, 16), roadmap.attribution);
    assert.equal(at(48.8534, 2.3488, 16), `${roadmap.attribution} · No street data here`);
    assert.equal(at(48.8534, 2.3488, 9), roadmap.attribution);
});

test('tile sources the page cannot use', async (t) => {
    await t.test('no service: the offline sets, and the log says why', async (t) => {
        const page = await tiledPage(t, { sources: { status: 404, body: 'not found' } });
        assert.deepEqual(page.logs, ['Map tile sources (/tiles/sources.json): HTTP status 404; using the offline tiles']);
        assert.equal(page.state().tiles.base, 'roadmap');
        assert.match(tileImages(page, 'roadmap')[0].src, /\/tiles\/roadmap\//);
    });

    await t.test('bad entries: urls of other schemes draw nothing, texts stay text', async (t) => {
        const page = await tiledPage(t, { sets: {
            roadmap: { url: 'javascript:alert(1)//{z}/{x}/{y}', attribution: '<img src=x onerror=alert(1)>' },
            satellite: { url: 'file:///etc/{z}/{x}/{y}.png', fallback: 'roadmap', note: 'n' },
            terrain: 'terrain',
        } });
        assert.match(page.state().tileSources, /roadmap: unusable url; satellite: unusable url; terrain: missing/);
        assert.deepEqual(page.state().tiles, { base: null, overlays: [], attribution: '' });
        assert.equal(tileImages(page, 'roadmap').length, 0);
        page.run('map.setMapTypeId("terrain");');   // the offline terrain falls back to the unusable roadmap
        assert.deepEqual(page.state().tiles, { base: null, overlays: [], attribution: 'No terrain data' });
        page.run('map.setMapTypeId("satellite");');
        assert.equal(page.state().tiles.attribution, 'n');
        assert.equal(page.window.document.querySelectorAll('#map_canvas .marlu-attribution img').length, 0);
    });

    await t.test('an online source from the configuration', async (t) => {
        const page = await tiledPage(t, { sets: {
            roadmap: { url: 'https://tile.example.org/{z}/{x}/{-y}.png', minzoom: 0, maxzoom: 18, attribution: 'Example' },
        } });
        assert.deepEqual(page.state().tiles, { base: 'roadmap', overlays: [], attribution: 'Example' });
        assert.match(tileImages(page, 'roadmap')[0].src, /^https:\/\/tile\.example\.org\/3\/\d+\/\d+\.png$/);
    });
});

test('the last view is kept for the next start', async (t) => {
    const KEY = 'marlu.lastView';
    const first = await tiledPage(t);
    first.run('map.setZoom(16); map.setCenter(new google.maps.LatLng(43.7384, 7.4246));');
    await waitFor(() => first.window.localStorage.getItem(KEY) !== null, 15000);   // written a second after the move
    const kept = first.window.localStorage.getItem(KEY);
    const view = JSON.parse(kept);
    assert.ok(Math.abs(view.lat - 43.7384) < 1e-4 && Math.abs(view.lng - 7.4246) < 1e-4 && view.zoom === 16, kept);

    const next = await tiledPage(t, { storage: { [KEY]: kept } });
    assert.deepEqual([next.state().center, next.state().zoom], [{ lat: view.lat, lng: view.lng }, 16]);
    next.run('updateCenter(true, 43.75, 7.43, 0);');   // position updates on: the fix takes over
    const followed = next.state();
    assert.ok(Math.abs(followed.center.lat - 43.75) < 1e-4 && followed.zoom === 16, JSON.stringify(followed.center));

    for (const bad of ['{"lat": 95, "lng": 0, "zoom": 3}', '{"lat": 1, "lng": 2, "zoom": 40}', 'not json', '{"lat": "1e999", "lng": 2, "zoom": 3}']) {
        const page = await tiledPage(t, { storage: { [KEY]: bad } });
        assert.deepEqual([page.state().center, page.state().zoom], [{ lat: 35.8185, lng: -78.8641 }, 3], bad);
    }
});

test('directions stand-ins', async (t) => {
    const page = loadPage();
    t.after(page.close);
    const r = page.run;
    r(`window.routeCalls = [];
       directionsService.route({origin: new google.maps.LatLng(1, 2), destination: 'B',
                                travelMode: google.maps.DirectionsTravelMode.WALKING,
                                unitSystem: google.maps.UnitSystem.METRIC},
                               function (result, status) { routeCalls.push([result, status]); });`);
    assert.equal(r('routeCalls.length'), 0, 'the callback comes later, as for a real lookup');
    await waitFor(() => r('routeCalls.length') > 0);
    assert.deepEqual(JSON.parse(r('JSON.stringify(routeCalls)')), [[null, 'UNKNOWN_ERROR']]);
    r('directionsService.route({});');     // no callback: nothing to report to
});

test('map follows size changes of map_canvas', async (t) => {
    const page = loadPage();
    t.after(page.close);
    const size = () => page.run('map.getSize().x + "x" + map.getSize().y');
    assert.equal(size(), '800x600');
    page.run('document.getElementById("map_canvas").style["width"] = "480px";');
    page.run('document.getElementById("map_canvas").style["height"] = "480px";');
    await tick();
    assert.equal(size(), '480x480');
    page.run('document.getElementById("map_canvas").style.WebkitTransform = "rotate(90deg)";');
    assert.equal(page.state().canvas.transform, 'rotate(90deg)');
    page.run('document.getElementById("map_canvas").style["width"] = "100%";');
    await tick();
    assert.equal(size(), '800x480');
});

test('pelmark is recorded and its fix shown without centring or connecting', (t) => {
    const connects = [];
    const page = loadPage({ before: (w) => {
        w.pelmark = { latitude: 52.25, longitude: 4.5, horizontalAccuracy: 30,
                      updated: { connect: (f) => connects.push(f) } };
    } });
    t.after(page.close);
    const s = page.state();
    assert.equal(s.pelmarkSeen, true);
    assert.deepEqual(s.position, { lat: 52.25, lng: 4.5 });
    assert.equal(s.accuracy, 30);
    assert.deepEqual(s.center, { lat: 35.8185, lng: -78.8641 });
    assert.equal(connects.length, 0);
});

test('regions imported while the page is shown: new sources redraw the tiles, no page reload', async (t) => {
    const roadmap = { ...SOURCES.sets.roadmap, streets: [[7.349, 43.715, 7.491, 43.77]] };
    const page = await tiledPage(t, { sets: { roadmap } });
    page.run('map.setZoom(16); map.setCenter(new google.maps.LatLng(48.8534, 2.3488)); addMark(48.8534, 2.3488, "Paris");');
    assert.equal(page.json('map.lacksStreets()'), true);

    page.server.sources = { status: 200, body: JSON.stringify({ sets: { roadmap: { ...roadmap, streets: [[2.2, 48.8, 2.5, 48.9]] } } }) };
    assert.equal(page.run('reloadTileSources();'), undefined);
    await waitFor(() => page.json('map.lacksStreets()') === false);
    // Fresh tiles, not the cached ones; the mark stays.
    await waitFor(() => tileImages(page, 'roadmap').length > 0 && /[?&]g=\d+$/.test(tileImages(page, 'roadmap')[0].src));
    assert.equal(page.state().marks.length, 1);

    assert.equal(page.run('regionOutlines([[7.4, 43.72, 7.44, 43.76], [1, 2, "x", 4]]);'), undefined);
    assert.equal(page.run('map.getOutlineCount()'), 1);
    page.run('regionOutlines([]);');
    assert.equal(page.run('map.getOutlineCount()'), 0);
});
