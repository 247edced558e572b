/*
 * Traffic and cycle-path overlays. There is no live data offline, so both
 * draw a synthetic road network over land: a jittered lattice laid out in
 * global pixel coordinates, so strokes join up across tile edges and across
 * the wrap of the world.
 */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory();
    } else {
        root.MarluOverlays = factory();
    }
}(this, function () {
    'use strict';

    var TRAFFIC_SPACING = 64;
    var BIKE_SPACING = 128;
    var STEP = 8;           // px between sampled points of a stroke
    var WOBBLE = 6;         // px amplitude of the bends
    var MARGIN = 12;        // px drawn beyond the tile so line caps meet

    var TRAFFIC_COLOURS = { free: '#2f9e44', slow: '#f08c00', jammed: '#d9262b' };
    var BIKE_COLOUR = '#1e7b34';

    function hash(a, b, c) {
        var h = Math.imul(a | 0, 0x27d4eb2d) ^ Math.imul(b | 0, 0x165667b1) ^ Math.imul(c | 0, 0x6c8e9cf5);
        h = Math.imul(h ^ (h >>> 15), 0x2c1b3c6d);
        h = Math.imul(h ^ (h >>> 12), 0x297a2d39);
        return ((h ^ (h >>> 15)) >>> 0) / 4294967296;
    }

    function mod(a, n) {
        return ((a % n) + n) % n;
    }

    // Period 256 px, which divides the world width at every zoom.
    function wobble(t, seed) {
        return WOBBLE * Math.sin(2 * Math.PI * t / 256 + seed);
    }

    function trafficLevel(value) {
        if (value < 0.55) { return 'free'; }
        if (value < 0.85) { return 'slow'; }
        return 'jammed';
    }

    // Traffic strokes that touch tile (x, y, z): [{level, pts: [[x, y], ...]}]
    // in tile pixels. Roads run east-west and north-south; each stretch of
    // TRAFFIC_SPACING px gets its own congestion level.
    function trafficStrokes(x, y, z, size) {
        var world = size * Math.pow(2, z), S = TRAFFIC_SPACING, columns = world / S;
        var ox = x * size, oy = y * size, out = [];
        var lo = -S - MARGIN, j, i, k, base, pts, t;
        for (j = Math.floor((oy + lo) / S); j <= Math.floor((oy + size + MARGIN) / S); j++) {
            base = j * S + 8 + Math.floor(hash(j, z, 1) * (S - 16));
            if (base < 0 || base > world) { continue; }
            for (k = Math.floor((ox - MARGIN) / S); k * S <= ox + size + MARGIN; k++) {
                pts = [];
                for (t = k * S; t <= (k + 1) * S; t += STEP) {
                    pts.push([t - ox, base + wobble(t, j) - oy]);
                }
                out.push({ level: trafficLevel(hash(j, mod(k, columns), z + 100)), pts: pts });
            }
        }
        for (i = Math.floor((ox + lo) / S); i <= Math.floor((ox + size + MARGIN) / S); i++) {
            base = i * S + 8 + Math.floor(hash(mod(i, columns), z, 2) * (S - 16));
            for (k = Math.floor((oy - MARGIN) / S); k * S <= oy + size + MARGIN; k++) {
                if (k < 0 || k * S >= world) { continue; }
                pts = [];
                for (t = k * S; t <= (k + 1) * S; t += STEP) {
                    pts.push([base + wobble(t, mod(i, columns)) - ox, t - oy]);
                }
                out.push({ level: trafficLevel(hash(mod(i, columns), k, z + 200)), pts: pts });
            }
        }
        return out;
    }

    // Cycle paths that touch tile (x, y, z): [[x, y], ...] lists in tile
    // pixels, along diagonals x + y = const so they cross the road grid.
    function bikeStrokes(x, y, z, size) {
        var world = size * Math.pow(2, z), S = BIKE_SPACING, period = world / S;
        var ox = x * size, oy = y * size, out = [], m, u, t, pts, tFrom, tTo;
        for (m = Math.floor((ox + oy - 2 * MARGIN - S) / S); m * S <= ox + oy + 2 * size + 2 * MARGIN; m++) {
            u = m * S + 40 + Math.floor(hash(mod(m, period), z, 3) * (S - 80));
            tFrom = Math.max(ox - MARGIN, u - (oy + size) - MARGIN);
            tTo = Math.min(ox + size + MARGIN, u - oy + MARGIN);
            if (tFrom > tTo) { continue; }
            tFrom = Math.floor(tFrom / STEP) * STEP;
            pts = [];
            for (t = tFrom; t <= tTo + STEP; t += STEP) {
                pts.push([t - ox, u - t + wobble(t, mod(m, period)) - oy]);
            }
            out.push(pts);
        }
        return out;
    }

    function tracePolyline(ctx, pts) {
        ctx.moveTo(pts[0][0], pts[0][1]);
        for (var i = 1; i < pts.length; i++) { ctx.lineTo(pts[i][0], pts[i][1]); }
    }

    function strokeAll(ctx, lists, colour, width, dash) {
        ctx.beginPath();
        lists.forEach(function (pts) { tracePolyline(ctx, pts); });
        ctx.strokeStyle = colour;
        ctx.lineWidth = width;
        if (ctx.setLineDash) { ctx.setLineDash(dash || []); }
        ctx.stroke();
    }

    function drawTraffic(ctx, x, y, z, size) {
        var strokes = trafficStrokes(x, y, z, size);
        ctx.lineCap = 'round';
        ctx.lineJoin = 'round';
        strokeAll(ctx, strokes.map(function (s) { return s.pts; }), 'rgba(255,255,255,0.9)', 6.5);
        ['free', 'slow', 'jammed'].forEach(function (level) {
            strokeAll(ctx, strokes.filter(function (s) { return s.level === level; })
                .map(function (s) { return s.pts; }), TRAFFIC_COLOURS[level], 4);
        });
    }

    function drawBike(ctx, x, y, z, size) {
        var strokes = bikeStrokes(x, y, z, size);
        ctx.lineCap = 'butt';
        ctx.lineJoin = 'round';
        strokeAll(ctx, strokes, 'rgba(255,255,255,0.85)', 6);
        strokeAll(ctx, strokes, BIKE_COLOUR, 3.5, [10, 6]);
    }

    var KINDS = {
        traffic: { draw: drawTraffic, zIndex: 5, legend: [
            { colour: TRAFFIC_COLOURS.free, text: 'Traffic: free flow' },
            { colour: TRAFFIC_COLOURS.slow, text: 'Traffic: slow' },
            { colour: TRAFFIC_COLOURS.jammed, text: 'Traffic: jammed' }] },
        bicycling: { draw: drawBike, zIndex: 6, legend: [
            { colour: BIKE_COLOUR, text: 'Cycle paths', dashed: true }] }
    };

    // A Leaflet GridLayer drawing `kind` over the land of getAtlas() (or
    // everywhere while the shapes are still loading).
    function createLayer(L, kind, getAtlas) {
        var style = KINDS[kind];
        var Layer = L.GridLayer.extend({
            createTile: function (coords) {
                var size = this.getTileSize(), canvas = L.DomUtil.create('canvas', 'marlu-overlay-tile');
                var ratio = window.devicePixelRatio || 1, ctx, atlas = getAtlas();
                canvas.width = size.x * ratio;
                canvas.height = size.y * ratio;
                ctx = canvas.getContext('2d');
                if (!ctx) { return canvas; }
                ctx.scale(ratio, ratio);
                if (atlas) {
                    ctx.beginPath();
                    window.MarluAtlas.traceLand(ctx, atlas, coords.x, coords.y, coords.z, size.x);
                    ctx.clip();
                }
                style.draw(ctx, coords.x, coords.y, coords.z, size.x);
                return canvas;
            }
        });
        var layer = new Layer({ zIndex: style.zIndex, updateWhenZooming: false, className: 'marlu-' + kind });
        layer.marluKind = kind;
        return layer;
    }

    // Legend rows for the overlays that are on, as DOM nodes.
    function buildLegend(doc, kinds) {
        var box = doc.createElement('div');
        box.className = 'marlu-legend';
        kinds.forEach(function (kind) {
            KINDS[kind].legend.forEach(function (entry) {
                var row = doc.createElement('div'), swatch = doc.createElement('span'), label = doc.createElement('span');
                row.className = 'marlu-legend-row marlu-legend-' + kind;
                swatch.className = 'marlu-legend-swatch' + (entry.dashed ? ' marlu-legend-dashed' : '');
                if (entry.dashed) {
                    swatch.style.borderTopColor = entry.colour;
                } else {
                    swatch.style.backgroundColor = entry.colour;
                }
                label.textContent = entry.text;
                row.appendChild(swatch);
                row.appendChild(label);
                box.appendChild(row);
            });
        });
        return box;
    }

    return {
        TRAFFIC_COLOURS: TRAFFIC_COLOURS,
        BIKE_COLOUR: BIKE_COLOUR,
        trafficStrokes: trafficStrokes,
        bikeStrokes: bikeStrokes,
        createLayer: createLayer,
        buildLegend: buildLegend
    };
}));
