/*
 * The scale bar. A followed fix moves the map a little at a time, and
 * redrawing the bar for each cost a fifth of a fix; the bar only changes with
 * the zoom and over some kilometres of latitude, so it is redrawn for those.
 */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        root.MarluMaps.ScaleBar = factory(root);
    }
}(this, function (root) {
    'use strict';

    var Scale = root.L.Control.Scale;

    return Scale.extend({
        _update: function () {
            var map = this._map, key = map.getZoom() + ':' + Math.round(map.getCenter().lat * 20);
            if (key === this._shownFor) { return; }
            this._shownFor = key;
            Scale.prototype._update.call(this);
        }
    });
}));
