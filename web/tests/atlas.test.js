'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const A = require('../js/atlas.js');
const topojson = require('topojson-client');

function lonLatArea(ring) {
    let a = 0;
    for (let i = 1; i < ring.length; i++) {
        a += ring[i - 1][0] * ring[i][1] - ring[i][0] * ring[i - 1][1];
    }
    return a / 2;
}

function lonRange(ring) {
    const xs = ring.map((p) => p[0]);
    return [Math.min(...xs), Math.max(...xs)];
}

function isClosed(ring) {
    const a = ring[0], b = ring[ring.length - 1];
    return a[0] === b[0] && a[1] === b[1];
}

test('Web Mercator projection clamps at the map edges and inverts', () => {
    assert.ok(Math.abs(A.projectY(0) - 128) < 1e-9);
    assert.ok(Math.abs(A.projectY(-90) - 256) < 1e-6 && Math.abs(A.projectY(90)) < 1e-6);
    for (const lat of [-80, -35.5, 0, 51.5, 84]) {
        assert.ok(Math.abs(A.unprojectY(A.projectY(lat)) - lat) < 1e-9, String(lat));
    }
});

test('cutRing', async (t) => {
    await t.test('leaves a ring that does not cross the antimeridian alone', () => {
        const ring = [[10, 10], [20, 10], [20, 20], [10, 20], [10, 10]];
        assert.deepEqual(A.cutRing(ring), [ring]);
    });

    await t.test('splits a square across the antimeridian into one piece per side', () => {
        const ring = [[170, 10], [-170, 10], [-170, 20], [170, 20], [170, 10]];
        const pieces = A.cutRing(ring);
        const sign = Math.sign(lonLatArea(A.unwrap(ring).coords));
        pieces.forEach((p) => assert.equal(Math.sign(lonLatArea(p)), sign, 'orientation kept'));
        assert.equal(pieces.length, 2);
        const ranges = pieces.map(lonRange).sort((a, b) => a[0] - b[0]);
        assert.deepEqual(ranges, [[-180, -170], [170, 180]]);
        pieces.forEach((p) => assert.ok(isClosed(p)));
        const total = pieces.reduce((s, p) => s + Math.abs(lonLatArea(p)), 0);
        assert.ok(Math.abs(total - 200) < 1e-9, String(total));
    });

    await t.test('closes a ring around the south pole along the pole', () => {
        const ring = [];
        for (let lon = -180; lon < 180; lon += 30) { ring.push([lon, -70]); }
        ring.push([-180, -70]);
        const pieces = A.cutRing(ring);
        const total = pieces.reduce((s, p) => s + Math.abs(lonLatArea(p)), 0);
        assert.ok(Math.abs(total - 360 * 20) < 1e-6, String(total));
        pieces.forEach((p) => {
            const [lo, hi] = lonRange(p);
            assert.ok(lo >= -180 && hi <= 180, `${lo}..${hi}`);
            assert.ok(p.some((q) => q[1] === -90));
        });
    });

    await t.test('handles a polar ring that starts away from the antimeridian', () => {
        const ring = [];
        for (let lon = 0; lon < 360; lon += 20) { ring.push([lon > 180 ? lon - 360 : lon, 75]); }
        ring.push([0, 75]);
        const pieces = A.cutRing(ring);
        assert.equal(pieces.length, 2);
        const total = pieces.reduce((s, p) => s + Math.abs(lonLatArea(p)), 0);
        assert.ok(Math.abs(total - 360 * 15) < 1e-6, String(total));
        pieces.forEach((p) => assert.ok(p.every((q) => q[1] === 75 || q[1] === 90)));
    });
});

test('cutLine', async (t) => {
    await t.test('keeps a line that does not cross', () => {
        assert.deepEqual(A.cutLine([[0, 0], [10, 5], [20, 0]]), [[[0, 0], [10, 5], [20, 0]]]);
    });
    await t.test('ends at +180 and resumes at -180 at the interpolated latitude', () => {
        assert.deepEqual(A.cutLine([[170, 0], [179, 10], [-179, 20], [-170, 30]]),
            [[[170, 0], [179, 10], [180, 15]], [[-180, 15], [-179, 20], [-170, 30]]]);
    });
    await t.test('adds no duplicate point when a vertex lies on the antimeridian', () => {
        assert.deepEqual(A.cutLine([[179, 0], [-180, 2], [-179, 4]]), [[[179, 0], [180, 2]], [[-180, 2], [-179, 4]]]);
    });
});

const WORLD_110M = path.join(__dirname, '..', 'node_modules', 'world-atlas', 'countries-110m.json');

test('atlas built from world-atlas', async (t) => {
    const atlas = A.buildAtlas(require(WORLD_110M), topojson);

    await t.test('has no edge jumping across the world', () => {
        // An uncut ring across the antimeridian has an edge from one side of
        // the world to the other: the horizontal stripe. Only the closure of
        // Antarctica along the pole, on the bottom edge of the map, may run so.
        for (const shape of atlas.rings.concat(atlas.borders, atlas.coasts)) {
            assert.ok(shape.minX >= 0 && shape.maxX <= 256, `${shape.minX}..${shape.maxX}`);
            const p = shape.pts;
            for (let i = 2; i < p.length; i += 2) {
                if (Math.abs(p[i] - p[i - 2]) > 64) {
                    assert.ok(p[i + 1] > 255.9 && p[i - 1] > 255.9, `jump at y ${p[i - 1]}`);
                }
            }
        }
    });

    await t.test('keeps the land on both sides of the antimeridian', () => {
        // Chukotka (west of the cut) and Fiji's eastern islands (east of it).
        const touching = (edge, y0, y1) => atlas.rings.filter((r) =>
            (edge ? r.maxX > 255.9 : r.minX < 0.1) && r.minY < y1 && r.maxY > y0).length;
        const chukotka = [A.projectY(70), A.projectY(64)], fiji = [A.projectY(-15), A.projectY(-19)];
        assert.ok(touching(true, ...chukotka) > 0 && touching(false, ...chukotka) > 0);
        assert.ok(touching(true, ...fiji) > 0 && touching(false, ...fiji) > 0);
    });
});

// Records what drawTile does to a 2D context.
function recordingContext() {
    const ops = [];
    const ctx = {
        ops,
        fillStyle: null, strokeStyle: null, lineWidth: 1,
        fillRect() { ops.push(['fillRect', this.fillStyle]); },
        beginPath() {}, moveTo() {}, lineTo() {}, closePath() {},
        fill() { ops.push(['fill', this.fillStyle]); },
        stroke() { ops.push(['stroke', this.strokeStyle, this.dash]); },
        setLineDash(d) { this.dash = d.length ? d.join(',') : null; },
        save() {}, restore() {}, translate() {}, clip() {},
        createLinearGradient() { return { gradient: true, addColorStop() {} }; },
    };
    return ctx;
}

test('the four map types draw visibly different tiles', () => {
    const atlas = A.buildAtlas(require(WORLD_110M), topojson);
    const drawn = {};
    for (const type of ['roadmap', 'satellite', 'hybrid', 'terrain']) {
        const ctx = recordingContext();
        A.drawTile(ctx, atlas, type, 2, 3, 3, 256);     // tile over North America
        drawn[type] = ctx.ops;
    }
    const sea = (t) => drawn[t][0][1];
    assert.equal(new Set(['roadmap', 'satellite', 'terrain'].map(sea)).size, 3);
    // Satellite is land and sea only; hybrid adds borders; roadmap dashes them.
    assert.ok(!drawn.satellite.some((op) => op[0] === 'stroke'));
    assert.ok(drawn.hybrid.some((op) => op[0] === 'stroke' && op[2] === null));
    assert.ok(drawn.roadmap.some((op) => op[0] === 'stroke' && op[2] !== null));
    assert.ok(drawn.satellite.some((op) => op[0] === 'fill' && op[1].gradient));
    assert.equal(drawn.roadmap.filter((op) => op[0] === 'fill').length, 1);
    // Terrain has a shadow fill under the land and a graticule on top.
    assert.equal(drawn.terrain.filter((op) => op[0] === 'fill').length, 2);
    assert.ok(drawn.terrain.length > drawn.roadmap.length);
});
