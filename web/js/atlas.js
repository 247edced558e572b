/*
 * Offline base map: country shapes from world-atlas drawn into canvas tiles.
 *
 * Geometry is projected once to Web Mercator pixels at zoom 0 (a 256 px
 * world); tiles scale and clip it. Plain ES5 because the page runs in
 * QtWebKit. The geometry helpers do not need a DOM, so node tests load
 * this file directly.
 */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory();
    } else {
        root.MarluAtlas = factory();
    }
}(this, function () {
    'use strict';

    var WORLD = 256;                 // world width in px at zoom 0
    var MAX_LAT = 85.0511287798066;  // Web Mercator limit
    var FULL_DETAIL_ZOOM = 9;        // above this no point is closer than half a pixel

    // ---- projection -------------------------------------------------------

    function projectX(lng) {
        return (lng + 180) / 360 * WORLD;
    }

    function projectY(lat) {
        if (lat > MAX_LAT) { lat = MAX_LAT; }
        if (lat < -MAX_LAT) { lat = -MAX_LAT; }
        var s = Math.sin(lat * Math.PI / 180);
        return (0.5 - Math.log((1 + s) / (1 - s)) / (4 * Math.PI)) * WORLD;
    }

    function unprojectY(y) {
        var n = Math.PI * (1 - 2 * y / WORLD);
        return Math.atan(0.5 * (Math.exp(n) - Math.exp(-n))) * 180 / Math.PI;
    }

    // ---- antimeridian handling --------------------------------------------

    // Rewrites longitudes so consecutive points never jump by more than 180
    // degrees; the result may leave [-180, 180]. `turns` is the net number of
    // times the ring winds around the globe (non-zero for rings around a pole).
    function unwrap(coords) {
        var out = [], shift = 0, i, lng, prev;
        for (i = 0; i < coords.length; i++) {
            lng = coords[i][0];
            if (i > 0) {
                prev = coords[i - 1][0];
                if (lng - prev > 180) { shift -= 360; }
                else if (prev - lng > 180) { shift += 360; }
            }
            out.push([lng + shift, coords[i][1]]);
        }
        return { coords: out, turns: Math.round(-shift / 360) };
    }

    // Sutherland-Hodgman against the vertical line x = edge, keeping the side
    // where (x - edge) * side >= 0. Keeps ring orientation.
    function clipHalfPlane(ring, edge, side) {
        var out = [], n = ring.length, i, a, b, ina, inb, t;
        if (n === 0) { return out; }
        for (i = 0; i < n; i++) {
            a = ring[(i + n - 1) % n];
            b = ring[i];
            ina = (a[0] - edge) * side >= 0;
            inb = (b[0] - edge) * side >= 0;
            if (inb) {
                if (!ina) {
                    t = (edge - a[0]) / (b[0] - a[0]);
                    out.push([edge, a[1] + t * (b[1] - a[1])]);
                }
                out.push(b);
            } else if (ina) {
                t = (edge - a[0]) / (b[0] - a[0]);
                out.push([edge, a[1] + t * (b[1] - a[1])]);
            }
        }
        return out;
    }

    function openRing(coords) {
        var n = coords.length;
        if (n > 1 && coords[0][0] === coords[n - 1][0] && coords[0][1] === coords[n - 1][1]) {
            return coords.slice(0, n - 1);
        }
        return coords.slice();
    }

    function closeRing(ring) {
        var out = ring.slice();
        out.push([ring[0][0], ring[0][1]]);
        return out;
    }

    // Splits a GeoJSON ring that crosses the antimeridian into rings that each
    // stay within [-180, 180]; drawn unsplit such rings become stripes across
    // the whole world. Rings around a pole are closed along that pole.
    function cutRing(coords) {
        var u = unwrap(coords), ring = openRing(u.coords);
        var i, minX = Infinity, maxX = -Infinity, k, kFirst, kLast, piece, result = [];
        if (ring.length < 3) { return []; }
        if (u.turns !== 0) {
            var latSum = 0;
            for (i = 0; i < ring.length; i++) { latSum += ring[i][1]; }
            var pole = latSum < 0 ? -90 : 90;
            ring.push([ring[ring.length - 1][0], pole]);
            ring.push([ring[0][0], pole]);
        }
        for (i = 0; i < ring.length; i++) {
            if (ring[i][0] < minX) { minX = ring[i][0]; }
            if (ring[i][0] > maxX) { maxX = ring[i][0]; }
        }
        if (minX >= -180 && maxX <= 180) { return [closeRing(ring)]; }
        kFirst = Math.floor((minX - 180) / 360) + 1;
        kLast = Math.ceil((maxX + 180) / 360) - 1;
        for (k = kFirst; k <= kLast; k++) {
            piece = clipHalfPlane(clipHalfPlane(ring, -180 + 360 * k, 1), 180 + 360 * k, -1);
            if (piece.length < 3) { continue; }
            for (i = 0; i < piece.length; i++) { piece[i] = [piece[i][0] - 360 * k, piece[i][1]]; }
            result.push(closeRing(piece));
        }
        return result;
    }

    // Splits a line where it jumps across the antimeridian, ending one part
    // at +/-180 and starting the next on the other side at the same latitude.
    function cutLine(coords) {
        var parts = [], current = [], i, a, b, d, edge, t, lat;
        for (i = 0; i < coords.length; i++) {
            b = coords[i];
            if (i > 0) {
                a = coords[i - 1];
                d = b[0] - a[0];
                if (Math.abs(d) > 180) {
                    edge = d < 0 ? 180 : -180;          // side that `a` leaves through
                    var bx = b[0] + (d < 0 ? 360 : -360);
                    t = bx === a[0] ? 0 : (edge - a[0]) / (bx - a[0]);
                    lat = a[1] + t * (b[1] - a[1]);
                    if (a[0] !== edge) { current.push([edge, lat]); }
                    if (current.length > 1) { parts.push(current); }
                    current = b[0] === -edge ? [] : [[-edge, lat]];
                }
            }
            current.push([b[0], b[1]]);
        }
        if (current.length > 1) { parts.push(current); }
        return parts;
    }

    // ---- projected shapes ---------------------------------------------------

    // A projected ring or line: flat [x0, y0, x1, y1, ...] at zoom 0 plus its bbox.
    function makeShape(coords) {
        var pts = new Float64Array(coords.length * 2), i, x, y;
        var minX = Infinity, minY = Infinity, maxX = -Infinity, maxY = -Infinity;
        for (i = 0; i < coords.length; i++) {
            x = projectX(coords[i][0]);
            y = projectY(coords[i][1]);
            pts[2 * i] = x;
            pts[2 * i + 1] = y;
            if (x < minX) { minX = x; }
            if (x > maxX) { maxX = x; }
            if (y < minY) { minY = y; }
            if (y > maxY) { maxY = y; }
        }
        return { pts: pts, minX: minX, minY: minY, maxX: maxX, maxY: maxY, levels: {} };
    }

    // Drops points closer than `tol` to the last kept one; keeps both ends.
    function decimate(pts, tol) {
        var n = pts.length / 2, out = [pts[0], pts[1]], lx = pts[0], ly = pts[1], i, x, y;
        for (i = 1; i < n - 1; i++) {
            x = pts[2 * i];
            y = pts[2 * i + 1];
            if (Math.abs(x - lx) + Math.abs(y - ly) >= tol) {
                out.push(x, y);
                lx = x;
                ly = y;
            }
        }
        if (n > 1) { out.push(pts[2 * n - 2], pts[2 * n - 1]); }
        return new Float64Array(out);
    }

    function shapeAtZoom(shape, z) {
        if (z >= FULL_DETAIL_ZOOM) { return shape.pts; }
        var level = shape.levels[z];
        if (!level) {
            level = shape.levels[z] = decimate(shape.pts, 0.5 / Math.pow(2, z));
        }
        return level;
    }

    function ringArea(pts) {
        var a = 0, n = pts.length / 2, i, j;
        for (i = 0, j = n - 1; i < n; j = i++) {
            a += pts[2 * j] * pts[2 * i + 1] - pts[2 * i] * pts[2 * j + 1];
        }
        return a / 2;
    }

    function ringCentroid(pts) {
        var a = 0, cx = 0, cy = 0, n = pts.length / 2, i, j, f;
        for (i = 0, j = n - 1; i < n; j = i++) {
            f = pts[2 * j] * pts[2 * i + 1] - pts[2 * i] * pts[2 * j + 1];
            a += f;
            cx += (pts[2 * j] + pts[2 * i]) * f;
            cy += (pts[2 * j + 1] + pts[2 * i + 1]) * f;
        }
        if (a === 0) { return [pts[0], pts[1]]; }
        return [cx / (3 * a), cy / (3 * a)];
    }

    function polygonsOf(geometry) {
        if (!geometry) { return []; }
        if (geometry.type === 'Polygon') { return [geometry.coordinates]; }
        if (geometry.type === 'MultiPolygon') { return geometry.coordinates; }
        return [];
    }

    function linesOf(geometry) {
        if (!geometry) { return []; }
        if (geometry.type === 'LineString') { return [geometry.coordinates]; }
        if (geometry.type === 'MultiLineString') { return geometry.coordinates; }
        return [];
    }

    function cutLines(geometry) {
        var out = [];
        linesOf(geometry).forEach(function (line) {
            cutLine(line).forEach(function (part) { out.push(makeShape(part)); });
        });
        return out;
    }

    // Builds the drawable atlas from a world-atlas topology. `topojson` is the
    // topojson-client module.
    function buildAtlas(topology, topojson) {
        var object = topology.objects.countries;
        var countries = [], rings = [];
        topojson.feature(topology, object).features.forEach(function (feature) {
            var country = { id: feature.id, name: (feature.properties && feature.properties.name) || '',
                            label: null };
            var bestArea = 0;
            polygonsOf(feature.geometry).forEach(function (polygon) {
                polygon.forEach(function (coords, index) {
                    cutRing(coords).forEach(function (piece) {
                        var shape = makeShape(piece), area;
                        rings.push(shape);
                        if (index === 0) {
                            area = Math.abs(ringArea(shape.pts));
                            if (area > bestArea) {
                                bestArea = area;
                                var c = ringCentroid(shape.pts);
                                country.label = { x: c[0], y: c[1],
                                                  w: shape.maxX - shape.minX, h: shape.maxY - shape.minY };
                            }
                        }
                    });
                });
            });
            countries.push(country);
        });
        return {
            countries: countries,
            rings: rings,
            borders: cutLines(topojson.mesh(topology, object, function (a, b) { return a !== b; })),
            coasts: cutLines(topojson.mesh(topology, object, function (a, b) { return a === b; }))
        };
    }

    // ---- styles -------------------------------------------------------------

    function hexToRgb(hex) {
        var v = parseInt(hex.slice(1), 16);
        return [(v >> 16) & 255, (v >> 8) & 255, v & 255];
    }

    // Colour for an absolute latitude from [lat, '#rrggbb'] stops, linear in between.
    function bandColour(stops, lat) {
        var a = Math.abs(lat), i, t, c0, c1;
        if (a <= stops[0][0]) { return stops[0][1]; }
        for (i = 1; i < stops.length; i++) {
            if (a <= stops[i][0]) {
                t = (a - stops[i - 1][0]) / (stops[i][0] - stops[i - 1][0]);
                c0 = hexToRgb(stops[i - 1][1]);
                c1 = hexToRgb(stops[i][1]);
                return 'rgb(' + Math.round(c0[0] + t * (c1[0] - c0[0])) + ',' +
                    Math.round(c0[1] + t * (c1[1] - c0[1])) + ',' +
                    Math.round(c0[2] + t * (c1[2] - c0[2])) + ')';
            }
        }
        return stops[stops.length - 1][1];
    }

    var SATELLITE_BANDS = [[0, '#22401b'], [10, '#2b4a1f'], [18, '#6a5634'], [28, '#7d6841'],
                           [36, '#4d5a2c'], [48, '#34502a'], [60, '#3b4a36'], [67, '#66695d'],
                           [72, '#c9d0d4'], [90, '#e6eaec']];
    var TERRAIN_BANDS = [[0, '#b5d19b'], [12, '#c6d9a6'], [19, '#e7dcb5'], [30, '#e3d7b0'],
                         [38, '#cadbaa'], [52, '#bdd2a3'], [63, '#d1d9c4'], [70, '#eef1ee'],
                         [90, '#f8faf8']];

    // What each map type draws. `land` is a flat colour or latitude bands.
    var STYLES = {
        roadmap: { sea: '#a9d3f2', land: '#f4f1ea', coast: '#7fb2d8', coastWidth: 1,
                   border: '#9d7fa8', borderWidth: 1.2, borderDash: [4, 3] },
        satellite: { sea: '#0c1c2e', bands: SATELLITE_BANDS, coast: null, border: null },
        hybrid: { sea: '#0c1c2e', bands: SATELLITE_BANDS, coast: null,
                  border: '#f3e28a', borderWidth: 1.2, borderDash: null, labels: true },
        terrain: { sea: '#b4d2dc', bands: TERRAIN_BANDS, coast: '#8ea98a', coastWidth: 1,
                   border: '#b59d8c', borderWidth: 0.8, borderDash: [2, 2],
                   relief: 'rgba(60, 80, 70, 0.45)', graticule: 'rgba(90, 110, 120, 0.35)' }
    };

    function graticuleStep(z) {
        if (z <= 2) { return 30; }
        if (z <= 4) { return 10; }
        if (z <= 6) { return 5; }
        if (z <= 8) { return 1; }
        if (z <= 11) { return 0.25; }
        return 0.05;
    }

    // ---- tile drawing -------------------------------------------------------

    function overlaps(shape, x0, y0, x1, y1) {
        return shape.maxX >= x0 && shape.minX <= x1 && shape.maxY >= y0 && shape.minY <= y1;
    }

    // Adds the rings that touch the tile to the current path, in tile pixels.
    function traceRings(ctx, rings, view, closed) {
        var i, j, pts, n, s = view.scale, ox = view.ox, oy = view.oy;
        for (i = 0; i < rings.length; i++) {
            if (!overlaps(rings[i], view.x0, view.y0, view.x1, view.y1)) { continue; }
            pts = shapeAtZoom(rings[i], view.z);
            n = pts.length / 2;
            ctx.moveTo(pts[0] * s - ox, pts[1] * s - oy);
            for (j = 1; j < n; j++) { ctx.lineTo(pts[2 * j] * s - ox, pts[2 * j + 1] * s - oy); }
            if (closed) { ctx.closePath(); }
        }
    }

    // Visible window of tile (x, y, z) in zoom-0 units, widened by `margin` px.
    function tileView(x, y, z, size, margin) {
        var scale = Math.pow(2, z) * size / WORLD, m = margin / scale;
        return { z: z, size: size, scale: scale, ox: x * size, oy: y * size,
                 x0: x * size / scale - m, y0: y * size / scale - m,
                 x1: (x + 1) * size / scale + m, y1: (y + 1) * size / scale + m };
    }

    function landFill(ctx, style, view) {
        if (!style.bands) { return style.land; }
        var grad = ctx.createLinearGradient(0, 0, 0, view.size), i, steps = 8, y;
        for (i = 0; i <= steps; i++) {
            y = (view.oy + i * view.size / steps) / view.scale;
            grad.addColorStop(i / steps, bandColour(style.bands, unprojectY(y)));
        }
        return grad;
    }

    function strokeLines(ctx, shapes, view, colour, width, dash) {
        ctx.lineJoin = 'round';
        ctx.lineCap = 'round';
        ctx.beginPath();
        traceRings(ctx, shapes, view, false);
        ctx.strokeStyle = colour;
        ctx.lineWidth = width;
        if (ctx.setLineDash) { ctx.setLineDash(dash || []); }
        ctx.stroke();
        if (ctx.setLineDash) { ctx.setLineDash([]); }
    }

    function drawGraticule(ctx, style, view) {
        var step = graticuleStep(view.z), lng, lat, px, py, size = view.size;
        var west = view.ox / view.scale / WORLD * 360 - 180;
        var east = (view.ox + size) / view.scale / WORLD * 360 - 180;
        var north = unprojectY(view.oy / view.scale), south = unprojectY((view.oy + size) / view.scale);
        ctx.beginPath();
        for (lng = Math.ceil(west / step) * step; lng <= east; lng += step) {
            px = Math.round(projectX(lng) * view.scale - view.ox) + 0.5;
            ctx.moveTo(px, 0);
            ctx.lineTo(px, size);
        }
        for (lat = Math.ceil(south / step) * step; lat <= north; lat += step) {
            py = Math.round(projectY(lat) * view.scale - view.oy) + 0.5;
            ctx.moveTo(0, py);
            ctx.lineTo(size, py);
        }
        ctx.strokeStyle = style.graticule;
        ctx.lineWidth = 1;
        ctx.stroke();
    }

    // Draws one base-map tile. `atlas` may be null while shapes still load.
    function drawTile(ctx, atlas, styleName, x, y, z, size) {
        var style = STYLES[styleName] || STYLES.roadmap;
        var view = tileView(x, y, z, size, 8);
        ctx.fillStyle = style.sea;
        ctx.fillRect(0, 0, size, size);
        if (atlas) {
            if (style.relief) {
                // The land again, shifted down-right in a dark tone, reads as
                // raised land casting a shadow onto the sea.
                ctx.save();
                ctx.translate(1.5, 2);
                ctx.beginPath();
                traceRings(ctx, atlas.rings, view, true);
                ctx.fillStyle = style.relief;
                ctx.fill();
                ctx.restore();
            }
            ctx.beginPath();
            traceRings(ctx, atlas.rings, view, true);
            ctx.fillStyle = landFill(ctx, style, view);
            ctx.fill();
            if (style.coast) { strokeLines(ctx, atlas.coasts, view, style.coast, style.coastWidth, null); }
            if (style.border) {
                strokeLines(ctx, atlas.borders, view, style.border, style.borderWidth, style.borderDash);
            }
        }
        if (style.graticule) { drawGraticule(ctx, style, view); }
    }

    // Adds the land of tile (x, y, z) to the current path, for clipping overlays.
    function traceLand(ctx, atlas, x, y, z, size) {
        traceRings(ctx, atlas.rings, tileView(x, y, z, size, 2), true);
    }

    // Country names worth showing at zoom z: those whose main part is wide
    // enough in pixels for the text. Positions are in zoom-0 pixels.
    function labelsAtZoom(atlas, z) {
        var scale = Math.pow(2, z), out = [];
        atlas.countries.forEach(function (c) {
            if (!c.label || !c.name) { return; }
            if (c.label.w * scale >= c.name.length * 7 + 8 && c.label.h * scale >= 14) {
                out.push(c);
            }
        });
        return out;
    }

    // ---- loading ------------------------------------------------------------

    // XMLHttpRequest rather than fetch: QtWebKit has no fetch. Status 0 counts
    // as success when there is a body, which is what file:// loads report.
    function loadJson(url, done) {
        var xhr = new XMLHttpRequest();
        xhr.open('GET', url, true);
        xhr.onreadystatechange = function () {
            if (xhr.readyState !== 4) { return; }
            if ((xhr.status === 200 || xhr.status === 0) && xhr.responseText) {
                var data;
                try {
                    data = JSON.parse(xhr.responseText);
                } catch (e) {
                    done(new Error('bad JSON from ' + url + ': ' + e.message));
                    return;
                }
                done(null, data);
            } else {
                done(new Error('loading ' + url + ' failed with status ' + xhr.status));
            }
        };
        xhr.send();
    }

    return {
        WORLD: WORLD,
        MAX_LAT: MAX_LAT,
        STYLES: STYLES,
        projectX: projectX,
        projectY: projectY,
        unprojectY: unprojectY,
        unwrap: unwrap,
        cutRing: cutRing,
        cutLine: cutLine,
        decimate: decimate,
        ringArea: ringArea,
        bandColour: bandColour,
        buildAtlas: buildAtlas,
        drawTile: drawTile,
        traceLand: traceLand,
        labelsAtZoom: labelsAtZoom,
        loadJson: loadJson
    };
}));
