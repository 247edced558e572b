/*
 * The tiles on a map: the set of its map type (or that set's fallback outside
 * its zooms), the sets of the overlays that are on, and the attribution line
 * naming what is shown and what is missing.
 */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        root.MarluMaps.TileLayers = factory(root);
    }
}(this, function (root) {
    'use strict';

    var L = root.L, S = root.MarluTileSources;
    var Z_INDEX = { bicycling: 6, traffic: 7 };
    // Tiles of an online source that fail in a row, none loading, before the
    // map says so: a single missing tile is the server's business.
    var FAILURES_TO_TELL = 3;

    function hostOf(url) {
        var m = /^https?:\/\/([^\/?#]+)/.exec(url || '');
        return m ? m[1].replace(/^\{s\}\./, '') : '';
    }

    function TileLayers(lmap, mapTypeId) {
        this.lmap = lmap;
        this.sets = null;           // until the service has answered
        this.mapTypeId = mapTypeId;
        this.overlaysOn = { traffic: 0, bicycling: 0 };
        this.layers = {};           // set name: its Leaflet layer, made once
        this.shown = { base: null, overlays: [], attribution: '' };
        this.line = new root.MarluMaps.AttributionLine({ position: 'bottomleft' }).addTo(lmap);
        this.failures = {};         // online set name: tiles failed since one loaded
        this.notice = L.DomUtil.create('div', 'marlu-tile-failure', lmap.getContainer());
        this.notice.style.display = 'none';
        var self = this;
        lmap.on('zoomend', function () { self.update(); });
        // A followed fix moves the map every second: only a change of whether
        // streets are in view is worth redoing the rest for.
        lmap.on('moveend', function () {
            if (self.sets && self.lacksStreets(self.shown.base) !== self.shown.noStreets) { self.update(); }
        });
    }

    // New sets replace the old ones' layers, so that a changed template or
    // newly imported streets are drawn at once; `generation` (a number) is
    // added to the service's own templates so that no cached tile is reused.
    TileLayers.prototype.setSets = function (sets, generation) {
        var self = this;
        Object.keys(this.layers).forEach(function (name) {
            if (self.lmap.hasLayer(self.layers[name])) { self.lmap.removeLayer(self.layers[name]); }
        });
        this.layers = {};
        this.failures = {};
        this.tellFailures();
        if (typeof generation === 'number' && isFinite(generation)) {
            Object.keys(sets).forEach(function (name) {
                var url = sets[name].url;
                if (url && url.charAt(0) === '/') {
                    sets[name].url = url + (url.indexOf('?') < 0 ? '?' : '&') + 'g=' + Math.floor(generation);
                }
            });
        }
        this.sets = sets;
        this.update();
    };

    TileLayers.prototype.setMapTypeId = function (id) {
        this.mapTypeId = id;
        this.update();
    };

    // Overlays are counted: two layer objects of a kind may be on at once.
    TileLayers.prototype.setOverlay = function (kind, on) {
        this.overlaysOn[kind] = Math.max(0, this.overlaysOn[kind] + (on ? 1 : -1));
        this.update();
    };

    TileLayers.prototype.isOverlayOn = function (kind) {
        return this.overlaysOn[kind] > 0;
    };

    // Whether set `name`, if shown, lacks streets in view (as far as it knows).
    TileLayers.prototype.lacksStreets = function (name) {
        var set = name ? this.sets[name] : null, z = this.lmap.getZoom(), view;
        if (!set || set.streets === null || z < S.STREET_ZOOM) { return false; }
        view = this.lmap.wrapLatLngBounds(this.lmap.getBounds());
        return S.lacksStreets(set, [view.getWest(), view.getSouth(), view.getEast(), view.getNorth()], z);
    };

    TileLayers.prototype.layer = function (name, zIndex) {
        var set = this.sets[name];
        if (!this.layers[name]) {
            this.layers[name] = L.tileLayer(set.url, {
                minZoom: set.minzoom, maxZoom: set.maxzoom, zIndex: zIndex,
                className: 'marlu-tiles-' + name, updateWhenZooming: false, keepBuffer: 1
            });
            if (set.url.charAt(0) !== '/') { this.watchOnline(name, this.layers[name]); }
        }
        return this.layers[name];
    };

    // An online source that cannot be reached would leave plain blue where the
    // map should be; the map says what is wrong and the way back instead.
    TileLayers.prototype.watchOnline = function (name, layer) {
        var self = this;
        layer.on('tileerror', function () {
            self.failures[name] = (self.failures[name] || 0) + 1;
            self.tellFailures();
        });
        layer.on('tileload', function () {
            if (self.failures[name]) {
                self.failures[name] = 0;
                self.tellFailures();
            }
        });
    };

    TileLayers.prototype.tellFailures = function () {
        var self = this, hosts = [];
        Object.keys(this.failures).forEach(function (name) {
            var layer = self.layers[name], host = self.sets && self.sets[name] ? hostOf(self.sets[name].url) : '';
            if (self.failures[name] >= FAILURES_TO_TELL && layer && self.lmap.hasLayer(layer) && hosts.indexOf(host) < 0) {
                hosts.push(host);
            }
        });
        var text = hosts.length ? 'Map tiles from ' + hosts.join(', ') + ' cannot be loaded: there is no '
            + 'network, or the server refuses them. Map Services: choose Offline.' : '';
        if (this.notice.textContent !== text) { this.notice.textContent = text; }
        this.notice.style.display = text ? '' : 'none';
    };

    TileLayers.prototype.failureNotice = function () {
        return this.notice.style.display === 'none' ? '' : this.notice.textContent;
    };

    TileLayers.prototype.update = function () {
        if (!this.sets) { return; }
        var self = this, z = this.lmap.getZoom(), wanted = [], credits = [], notes = [];
        function add(list, value) {
            if (value && list.indexOf(value) < 0) { list.push(value); }
        }
        function show(name, zIndex) {
            var shown = S.shownAt(self.sets, name, z);
            if (shown.set) {
                wanted.push(self.layer(shown.set, zIndex));
                // Named once, however many of the sets shown draw on their data.
                self.sets[shown.set].attribution.split(', ').forEach(function (credit) { add(credits, credit); });
            }
            add(notes, shown.note);
            return shown.set;
        }
        var base = show(this.mapTypeId, 1), overlays = [], noStreets = this.lacksStreets(base);
        S.OVERLAYS.forEach(function (kind) {
            if (self.isOverlayOn(kind)) {
                var set = show(kind, Z_INDEX[kind]);
                if (set) { overlays.push(set); }
            }
        });
        if (noStreets) { add(notes, S.NO_STREETS); }
        Object.keys(this.layers).forEach(function (name) {
            var layer = self.layers[name];
            if (wanted.indexOf(layer) < 0 && self.lmap.hasLayer(layer)) { self.lmap.removeLayer(layer); }
        });
        wanted.forEach(function (layer) {
            if (!self.lmap.hasLayer(layer)) { self.lmap.addLayer(layer); }
        });
        this.tellFailures();
        this.shown = { base: base, overlays: overlays, noStreets: noStreets,
                       attribution: [credits.join(', ')].concat(notes).filter(Boolean).join(' · ') };
        this.line.setText(this.shown.attribution);
    };

    return TileLayers;
}));
