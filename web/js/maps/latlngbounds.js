/* google.maps.LatLngBounds: a box that grows to take in points. */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        root.google.maps.LatLngBounds = factory(root);
    }
}(this, function (root) {
    'use strict';

    var M = root.MarluMaps, LatLng = root.google.maps.LatLng;

    function LatLngBounds(sw, ne) {
        M.hide(this, '_sw', null);
        M.hide(this, '_ne', null);
        sw = LatLng.from(sw);
        ne = LatLng.from(ne);
        if (LatLng.isValid(sw)) { this.extend(sw); }
        if (LatLng.isValid(ne)) { this.extend(ne); }
    }
    M.methods(LatLngBounds, {
        getSouthWest: function () { return this._sw; },
        getNorthEast: function () { return this._ne; },
        isEmpty: function () { return this._sw === null; },
        extend: function (latLng) {
            latLng = LatLng.from(latLng);
            if (!LatLng.isValid(latLng)) { return undefined; }
            if (this._sw === null) {
                this._sw = this._ne = latLng;
            } else {
                this._sw = new LatLng(Math.min(this._sw.latitude, latLng.latitude), Math.min(this._sw.longitude, latLng.longitude));
                this._ne = new LatLng(Math.max(this._ne.latitude, latLng.latitude), Math.max(this._ne.longitude, latLng.longitude));
            }
            return undefined;
        },
        contains: function (latLng) {
            latLng = LatLng.from(latLng);
            return LatLng.isValid(latLng) && this._sw !== null &&
                latLng.latitude >= this._sw.latitude && latLng.latitude <= this._ne.latitude &&
                latLng.longitude >= this._sw.longitude && latLng.longitude <= this._ne.longitude;
        },
        getCenter: function () {
            if (this._sw === null) { return null; }
            return new LatLng((this._sw.latitude + this._ne.latitude) / 2, (this._sw.longitude + this._ne.longitude) / 2);
        },
        toJSON: function () {
            if (this._sw === null) { return null; }
            return { south: this._sw.latitude, west: this._sw.longitude, north: this._ne.latitude, east: this._ne.longitude };
        }
    });

    return LatLngBounds;
}));
