/*
 * google.maps.Map over a Leaflet map. Beside Google's methods it has a few of
 * the page's own (marked below) for the page and its test hook.
 */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        root.google.maps.Map = factory(root);
    }
}(this, function (root) {
    'use strict';

    var L = root.L, M = root.MarluMaps, maps = root.google.maps;
    var LatLng = maps.LatLng;

    function isMapTypeId(id) {
        return Object.keys(maps.MapTypeId).some(function (key) { return maps.MapTypeId[key] === id; });
    }

    function GMap(div, options) {
        options = options || {};
        var center = LatLng.from(options.center) || new LatLng(0, 0);
        var lmap = L.map(div, {
            center: center.toLeaflet(),
            zoom: typeof options.zoom === 'number' ? options.zoom : 3,
            minZoom: M.MIN_ZOOM,
            maxZoom: M.MAX_ZOOM,
            attributionControl: false,
            // Animations would leave getZoom()/getCenter() stale right after
            // a snippet and drop zoom steps sent while one runs.
            zoomAnimation: false,
            fadeAnimation: false,
            markerZoomAnimation: false,
            worldCopyJump: false,
            doubleClickZoom: false,
            // The application's overlay takes the clicks that the +/- buttons
            // would need; zooming is by keys, double click and wheel.
            zoomControl: false,
            // page.js resizes the map on window resizes itself, as one of
            // the view changes that keep the centre given.
            trackResize: false
        });
        // The application keeps presses, moves and releases away from the page
        // and passes on double clicks only, which then arrive as a second press
        // without a dblclick event: zoom in at that point, as a map does.
        div.addEventListener('mousedown', function (e) {
            if (e.detail === 2 && e.button === 0) {
                lmap.setZoomAround(lmap.mouseEventToContainerPoint(e),
                                   Math.min(M.MAX_ZOOM, lmap.getZoom() + 1), { animate: false });
            }
        });
        M.hide(this, '_leaflet', lmap);
        // Leaflet centres to whole pixels (a near centre becomes a pan by the
        // truncated offset), which at zoom 2 is kilometres, and zooms about
        // that. So the centre given is kept here and zoomed about until
        // anything else moves the view: a drag, a pan, a double click or
        // wheel zoom at a point, a route shown whole.
        M.hide(this, '_exactCenter', center);
        M.hide(this, '_ownMoves', 0);
        M.hide(this, '_drive', null);
        var self = this;
        lmap.on('move', function () {
            if (self._ownMoves === 0) { self._exactCenter = null; }
        });
        M.hide(this, '_div', div);
        M.hide(this, '_mapTypeId', maps.MapTypeId.ROADMAP);
        M.hide(this, '_tiles', new M.TileLayers(lmap, this._mapTypeId));
        new M.ScaleBar({ position: 'bottomleft' }).addTo(lmap);
        this.setMapTypeId(options.mapTypeId || maps.MapTypeId.ROADMAP);
    }
    M.methods(GMap, {
        getDiv: function () { return this._div; },
        getZoom: function () { return this._leaflet.getZoom(); },
        setZoom: function (zoom) {
            zoom = Number(zoom);
            if (!isFinite(zoom)) { return undefined; }
            zoom = Math.max(M.MIN_ZOOM, Math.min(M.MAX_ZOOM, Math.round(zoom)));
            var lmap = this._leaflet, exact = this._exactCenter;
            this._keepingCenter(function () {
                if (exact) {
                    lmap.setView(exact.toLeaflet(), zoom, { animate: false });
                } else {
                    lmap.setZoom(zoom, { animate: false });
                }
            });
            return undefined;
        },
        getCenter: function () {
            var exact = this._exactCenter;
            return exact ? new LatLng(exact.lat(), exact.lng()) : LatLng.from(this._leaflet.getCenter());
        },
        setCenter: function (latLng) {
            latLng = LatLng.from(latLng);
            if (!LatLng.isValid(latLng)) { return undefined; }
            var lmap = this._leaflet, target = latLng.toLeaflet();
            this._exactCenter = latLng;
            // A centre within half a pixel of the current one would not move the
            // map, yet every layer would redraw for it: a fix at a far zoom.
            if (lmap._loaded) {
                var offset = lmap.latLngToContainerPoint(target).subtract(lmap.getSize().divideBy(2));
                if (Math.abs(offset.x) < 0.5 && Math.abs(offset.y) < 0.5) { return undefined; }
            }
            this._keepingCenter(function () { lmap.setView(target, lmap.getZoom(), { animate: false }); });
            return undefined;
        },
        panTo: function (latLng) { return this.setCenter(latLng); },
        panBy: function (dx, dy) {
            dx = Number(dx);
            dy = Number(dy);
            if (isFinite(dx) && isFinite(dy)) { this._leaflet.panBy([dx, dy], { animate: false }); }
            return undefined;
        },
        getBounds: function () {
            var box = this._leaflet.getBounds();
            return new maps.LatLngBounds(box.getSouthWest(), box.getNorthEast());
        },
        getMapTypeId: function () { return this._mapTypeId; },
        setMapTypeId: function (id) {
            if (!isMapTypeId(id)) { return undefined; }
            var div = this._div;
            Object.keys(maps.MapTypeId).forEach(function (key) {
                L.DomUtil.removeClass(div, 'marlu-type-' + maps.MapTypeId[key]);
            });
            L.DomUtil.addClass(div, 'marlu-type-' + id);
            this._mapTypeId = id;
            this._tiles.setMapTypeId(id);
            return undefined;
        }
    });
    // The page's own, not Google's.
    M.methods(GMap, {
        // Size of the map in pixels: {x, y}.
        getSize: function () {
            var size = this._leaflet.getSize();
            return { x: size.x, y: size.y };
        },
        // Where latLng is drawn, in pixels from the map's top left: {x, y}.
        toContainerPoint: function (latLng) {
            var point = this._leaflet.latLngToContainerPoint(LatLng.from(latLng).toLeaflet());
            return { x: point.x, y: point.y };
        },
        // After the canvas changed size without a window resize.
        invalidateSize: function () {
            var lmap = this._leaflet;
            this._keepingCenter(function () { lmap.invalidateSize({ animate: false, pan: true }); });
        },
        // Takes the tile sets (MarluTileSources); no tiles are drawn before.
        setTileSources: function (sets, generation) {
            this._tiles.setSets(sets, generation);
        },
        // What the tiles show now: {base, overlays, attribution}, base and
        // overlays as set names.
        getTiles: function () {
            var shown = this._tiles.shown;
            return { base: shown.base, overlays: shown.overlays.slice(), attribution: shown.attribution };
        },
        // What the map says about online tiles that cannot be loaded ('' when they load).
        tileFailure: function () {
            return this._tiles.failureNotice();
        },
        // Whether the street map shown lacks streets in view at a street zoom.
        lacksStreets: function () {
            return !!this._tiles.shown.noStreets;
        },
        // Outlines of [west, south, east, north] boxes, drawn over the tiles and
        // not clickable; an empty list removes them.
        setOutlines: function (boxes) {
            var lmap = this._leaflet;
            (this._outlines || []).forEach(function (layer) { lmap.removeLayer(layer); });
            this._outlines = (Array.isArray(boxes) ? boxes : []).filter(function (b) {
                return Array.isArray(b) && b.length === 4 && b.every(function (v) { return typeof v === 'number' && isFinite(v); });
            }).slice(0, 500).map(function (b) {
                return L.rectangle([[b[1], b[0]], [b[3], b[2]]], {
                    interactive: false, fill: false, weight: 2, color: '#d6336c', dashArray: '6 4'
                }).addTo(lmap);
            });
        },
        getOutlineCount: function () { return (this._outlines || []).length; },
        // Shows a [west, south, east, north] box whole in the part of the map
        // that `cover` pixels at the right and bottom leave uncovered (a window
        // over the map); follow mode is the application's to end.
        showArea: function (box, coverRight, coverBottom) {
            if (!Array.isArray(box) || box.length !== 4 || !box.every(function (v) { return typeof v === 'number' && isFinite(v); })) {
                return undefined;
            }
            var lmap = this._leaflet, right = Math.max(0, Number(coverRight) || 0), bottom = Math.max(0, Number(coverBottom) || 0);
            this._exactCenter = null;
            lmap.fitBounds([[box[1], box[0]], [box[3], box[2]]], {
                paddingTopLeft: [12, 12], paddingBottomRight: [right + 12, bottom + 12], animate: false
            });
            return undefined;
        },
        // [west, south, east, north] of what is in view.
        getViewBox: function () {
            var b = this._leaflet.wrapLatLngBounds(this._leaflet.getBounds());
            return [b.getWest(), b.getSouth(), b.getEast(), b.getNorth()];
        },
        // Kinds of the traffic and cycling layers that are on.
        getOverlayKinds: function () {
            var tiles = this._tiles;
            return root.MarluTileSources.OVERLAYS.filter(function (kind) { return tiles.isOverlayOn(kind); });
        },
        // Following the car while guiding: at `zoom`, with the car `ahead`
        // pixels below the centre along `bearing` (degrees, the way ahead),
        // so that a map turned by -bearing shows the road ahead above the car.
        // null ends it. Until ended, a route drawn keeps this view.
        setDriveView: function (zoom, ahead, bearing) {
            if (zoom === null || zoom === undefined) {
                this._drive = null;
                return;
            }
            zoom = Number(zoom);
            ahead = Number(ahead) || 0;
            bearing = Number(bearing) || 0;
            if (!isFinite(zoom)) { return; }
            this._drive = { zoom: Math.max(M.MIN_ZOOM, Math.min(M.MAX_ZOOM, Math.round(zoom))),
                            ahead: ahead, bearing: bearing };
        },
        isDriving: function () { return !!this._drive; },
        // Centres so that latLng sits where the drive view puts the car, at its zoom.
        followCar: function (latLng) {
            var drive = this._drive, lmap = this._leaflet;
            latLng = LatLng.from(latLng);
            if (!drive || !LatLng.isValid(latLng)) { return; }
            var rad = drive.bearing * Math.PI / 180;
            var car = lmap.project(latLng.toLeaflet(), drive.zoom);
            var centre = lmap.unproject(car.add(L.point(Math.sin(rad) * drive.ahead, -Math.cos(rad) * drive.ahead)),
                                        drive.zoom);
            if (drive.zoom === lmap.getZoom() && lmap._loaded) {
                var offset = lmap.latLngToContainerPoint(centre).subtract(lmap.getSize().divideBy(2));
                if (Math.abs(offset.x) < 0.5 && Math.abs(offset.y) < 0.5) { return; }
            }
            this._exactCenter = LatLng.from(centre);
            this._keepingCenter(function () { lmap.setView(centre, drive.zoom, { animate: false }); });
        },
        // Calls listener() after every change of centre or zoom.
        addViewListener: function (listener) {
            this._leaflet.on('moveend', function () { listener(); });
        },
        // Every line drawn on the map, as {points, route}: its number of
        // points and whether it belongs to a route.
        getDrawnLines: function () {
            var lines = [], seen = [];
            this._leaflet.eachLayer(function (layer) {
                if (!(layer instanceof L.Polyline) || layer instanceof L.Polygon || !layer.getLatLngs().length) { return; }
                // A long line is drawn in pieces; it counts once, with all its points.
                var whole = layer.options.marluLine;
                if (whole) {
                    if (seen.indexOf(whole) < 0) {
                        seen.push(whole);
                        lines.push({ points: whole.pointCount(), route: false });
                    }
                    return;
                }
                lines.push({ points: layer.getLatLngs().length, route: !!layer.options.marluRoute });
            });
            return lines;
        }
    });
    // Internal.
    M.methods(GMap, {
        // Runs move(), a view change that keeps the centre given.
        _keepingCenter: function (move) {
            this._ownMoves += 1;
            try {
                move();
            } finally {
                this._ownMoves -= 1;
            }
        },
        // For the traffic and cycling layers.
        _setOverlay: function (kind, on) {
            this._tiles.setOverlay(kind, on);
        }
    });

    return GMap;
}));
