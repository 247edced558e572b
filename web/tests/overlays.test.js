'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const O = require('../js/overlays.js');

const SIZE = 256;

// Where the strokes of tile (tx, ty) cross the vertical line x = edge (global
// pixels) within the tile's own rows: sorted "level@y" entries. `shiftX`
// moves the tile sideways, to compare across the wrap of the world.
function edgeHits(strokes, tx, ty, edge, shiftX = 0) {
    const hits = [];
    for (const s of strokes) {
        const pts = (s.pts || s).map((p) => [p[0] + tx * SIZE + shiftX, p[1] + ty * SIZE]);
        for (let i = 1; i < pts.length; i++) {
            const [a, b] = [pts[i - 1], pts[i]];
            if (Math.min(a[0], b[0]) > edge || Math.max(a[0], b[0]) < edge || a[0] === b[0]) { continue; }
            const y = a[1] + (edge - a[0]) / (b[0] - a[0]) * (b[1] - a[1]);
            if (y >= ty * SIZE && y <= (ty + 1) * SIZE) { hits.push(`${s.level || ''}@${y.toFixed(3)}`); }
        }
    }
    return [...new Set(hits)].sort();
}

for (const [name, strokes] of [['traffic', O.trafficStrokes], ['cycle paths', O.bikeStrokes]]) {
    test(`${name} overlay`, async (t) => {
        await t.test('strokes join up across a tile edge', () => {
            const z = 5, x = 9, y = 11, edge = (x + 1) * SIZE;
            const left = edgeHits(strokes(x, y, z, SIZE), x, y, edge);
            const right = edgeHits(strokes(x + 1, y, z, SIZE), x + 1, y, edge);
            assert.ok(left.length > 0);
            assert.deepEqual(left, right);
        });

        await t.test('strokes join up across the wrap of the world', () => {
            const z = 3, last = 2 ** z - 1, world = SIZE * 2 ** z, y = 3;
            const east = edgeHits(strokes(last, y, z, SIZE), last, y, world);
            const west = edgeHits(strokes(0, y, z, SIZE), 0, y, world, world);
            assert.ok(east.length > 0);
            assert.deepEqual(east, west);
        });

        await t.test('draws something in every tile at every zoom', () => {
            for (let z = 0; z <= 18; z++) {
                const n = 2 ** z;
                for (const [x, y] of [[0, 0], [n - 1, n - 1], [Math.floor(n / 2), Math.floor(n / 3)]]) {
                    const inside = strokes(x, y, z, SIZE).some((s) => (s.pts || s).some(
                        (p) => p[0] >= 0 && p[0] <= SIZE && p[1] >= 0 && p[1] <= SIZE));
                    assert.ok(inside, `zoom ${z} tile ${x},${y}`);
                }
            }
        });
    });
}
