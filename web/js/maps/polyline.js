/*
 * google.maps.Polyline: the travelled track is one.
 *
 * A day of tracking holds tens of thousands of points, and a Leaflet line
 * re-projects, clips and re-renders all of its points whenever one is added.
 * So the line is drawn as pieces of at most PIECE points, each a Leaflet line
 * of its own: a new point redraws the last piece only, and on a pan the
 * pieces outside the view are dropped by their bounds before any point is
 * looked at. Every point is kept; each piece simplifies itself per zoom.
 */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        root.google.maps.Polyline = factory(root);
    }
}(this, function (root) {
    'use strict';

    var L = root.L, M = root.MarluMaps, LatLng = root.google.maps.LatLng, Overlay = M.Overlay;

    // Points per piece: small enough that redrawing the last one is cheap,
    // large enough that the pieces of a day stay few (60 for 30,000 points).
    var PIECE = 512;

    function points(path) {
        return (path || []).map(LatLng.from).filter(LatLng.isValid);
    }

    function Polyline(options) {
        options = options || {};
        M.hide(this, '_style', {
            interactive: false,
            color: options.strokeColor || '#d6336c',
            opacity: options.strokeOpacity !== undefined ? options.strokeOpacity : 0.9,
            weight: options.strokeWeight || 4,
            lineJoin: 'round',
            // The map reports the pieces as this one line.
            marluLine: this
        });
        Overlay.call(this, L.layerGroup());
        M.hide(this, '_path', []);
        M.hide(this, '_tail', null);
        this.setPath(options.path);
        if (options.map) { this.setMap(options.map); }
    }
    M.inherit(Polyline, Overlay);
    M.methods(Polyline, {
        // A copy: changing it does not change the line.
        getPath: function () { return this._path.slice(); },
        setPath: function (path) {
            this._path = points(path);
            this._layer.clearLayers();
            this._tail = null;
            for (var start = 0; start === 0 || start < this._path.length - 1; start += PIECE - 1) {
                var piece = this._path.slice(start, start + PIECE).map(function (p) { return p.toLeaflet(); });
                this._tail = L.polyline(piece, this._style);
                this._layer.addLayer(this._tail);
            }
            return undefined;
        },
        // Appends one point; what track() uses. Only the last piece redraws.
        extend: function (latLng) {
            latLng = LatLng.from(latLng);
            if (!LatLng.isValid(latLng)) { return undefined; }
            this._path.push(latLng);
            var tail = this._tail.getLatLngs();
            if (tail.length >= PIECE) {
                // The new piece starts where the last one ends, so the line stays joined.
                this._tail = L.polyline([tail[tail.length - 1], latLng.toLeaflet()], this._style);
                this._layer.addLayer(this._tail);
            } else {
                this._tail.addLatLng(latLng.toLeaflet());
            }
            return undefined;
        },
        // The page's own: how many Leaflet lines draw it.
        pieceCount: function () { return this._layer.getLayers().length; }
    });
    Polyline.PIECE = PIECE;

    return Polyline;
}));
