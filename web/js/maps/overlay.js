/*
 * What every overlay of the stand-in shares: setMap/getMap over one Leaflet
 * layer. Subclasses may attach and detach differently.
 */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        root.MarluMaps.Overlay = factory(root);
    }
}(this, function (root) {
    'use strict';

    var M = root.MarluMaps, maps = root.google.maps, LatLng = maps.LatLng;

    function Overlay(layer) {
        M.hide(this, '_layer', layer);
        M.hide(this, '_map', null);
    }
    M.methods(Overlay, {
        getMap: function () { return this._map; },
        setMap: function (gmap) {
            if (gmap === this._map) { return undefined; }
            if (this._map) { this._detach(this._map); }
            this._map = gmap instanceof maps.Map ? gmap : null;
            if (this._map) { this._attach(this._map); }
            return undefined;
        },
        // The page's own: whether the overlay is drawn on its map now.
        isDrawn: function () {
            return this._map !== null && this._map._leaflet.hasLayer(this._layer);
        },
        _attach: function (gmap) { gmap._leaflet.addLayer(this._layer); },
        _detach: function (gmap) { gmap._leaflet.removeLayer(this._layer); },
        // Moves a point overlay, remembering where under `key`; a position
        // that is not a number leaves it where it was.
        _moveTo: function (key, latLng) {
            latLng = LatLng.from(latLng);
            if (LatLng.isValid(latLng)) {
                this[key] = latLng;
                this._layer.setLatLng(latLng.toLeaflet());
            }
            return undefined;
        }
    });

    return Overlay;
}));
