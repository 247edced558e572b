/*
 * google.maps.Polyline: the travelled track is one.
 *
 * A day of tracking holds tens of thousands of points, and a Leaflet line
 * re-projects, clips and re-renders all of its points whenever one is added.
 * So the line is drawn as pieces of at most PIECE points, each a Leaflet line
 * of its own: a new point redraws the last piece only, and on a pan the
 * pieces outside the view are dropped by their bounds before any point is
 * looked at. Every point is kept, once, in the pieces; each piece simplifies
 * itself per zoom.
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

    // A piece out of view draws nothing; telling the renderer so again on
    // every pan of a long drive would rewrite dozens of empty SVG paths.
    var Piece = L.Polyline.extend({
        onAdd: function (map) {
            this._drawnEmpty = false;
            L.Polyline.prototype.onAdd.call(this, map);
        },
        _updatePath: function () {
            var empty = this._parts.length === 0;
            if (empty && this._drawnEmpty) { return; }
            this._drawnEmpty = empty;
            L.Polyline.prototype._updatePath.call(this);
        }
    });

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
        M.hide(this, '_pieces', []);
        M.hide(this, '_count', 0);
        this.setPath(options.path);
        if (options.map) { this.setMap(options.map); }
    }
    M.inherit(Polyline, Overlay);
    M.methods(Polyline, {
        // A copy: changing it does not change the line.
        getPath: function () {
            var path = [];
            this._pieces.forEach(function (piece, i) {
                piece.getLatLngs().forEach(function (p, k) {
                    // A piece's first point is the last of the one before.
                    if (i === 0 || k > 0) { path.push(new LatLng(p.lat, p.lng)); }
                });
            });
            return path;
        },
        setPath: function (path) {
            path = points(path);
            this._layer.clearLayers();
            this._pieces = [];
            this._count = path.length;
            for (var start = 0; start === 0 || start < path.length - 1; start += PIECE - 1) {
                this._addPiece(path.slice(start, start + PIECE).map(function (p) { return p.toLeaflet(); }));
            }
            return undefined;
        },
        // Appends one point; what track() uses. Only the last piece redraws.
        extend: function (latLng) {
            latLng = LatLng.from(latLng);
            if (!LatLng.isValid(latLng)) { return undefined; }
            this._count++;
            var tail = this._pieces[this._pieces.length - 1], last = tail.getLatLngs();
            if (last.length >= PIECE) {
                // The new piece starts where the last one ends, so the line stays joined.
                this._addPiece([last[last.length - 1], latLng.toLeaflet()]);
            } else {
                tail.addLatLng(latLng.toLeaflet());
            }
            return undefined;
        },
        // The page's own: how many points, and how many Leaflet lines draw them.
        pointCount: function () { return this._count; },
        pieceCount: function () { return this._pieces.length; },
        _addPiece: function (latLngs) {
            var piece = new Piece(latLngs, this._style);
            this._pieces.push(piece);
            this._layer.addLayer(piece);
        }
    });
    Polyline.PIECE = PIECE;

    return Polyline;
}));
