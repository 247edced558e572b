/*
 * google.maps.LatLng, with the page's own conversions as hidden statics:
 * from() accepts a LatLng, a {lat, lng} literal or a Leaflet LatLng.
 */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        root.google.maps.LatLng = factory(root);
    }
}(this, function (root) {
    'use strict';

    var M = root.MarluMaps;

    function LatLng(lat, lng) {
        lat = Number(lat);
        lng = Number(lng);
        this.latitude = Math.max(-90, Math.min(90, lat));
        this.longitude = (lng >= -180 && lng <= 180) ? lng : ((lng + 180) % 360 + 360) % 360 - 180;
    }
    M.methods(LatLng, {
        lat: function () { return this.latitude; },
        lng: function () { return this.longitude; },
        equals: function (other) {
            return other instanceof LatLng && other.latitude === this.latitude && other.longitude === this.longitude;
        },
        toJSON: function () { return { lat: this.latitude, lng: this.longitude }; },
        toString: function () { return '(' + this.latitude + ', ' + this.longitude + ')'; },
        toLeaflet: function () { return root.L.latLng(this.latitude, this.longitude); }
    });

    M.hide(LatLng, 'from', function (value) {
        if (value instanceof LatLng) { return value; }
        if (value && typeof value.lat === 'function') { return new LatLng(value.lat(), value.lng()); }
        if (value && value.lat !== undefined && value.lng !== undefined) { return new LatLng(value.lat, value.lng); }
        return null;
    });
    M.hide(LatLng, 'isValid', function (latLng) {
        return latLng !== null && isFinite(latLng.latitude) && isFinite(latLng.longitude);
    });

    return LatLng;
}));
