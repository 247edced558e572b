/*
 * The attribution line: plain text (the names come from the user's
 * configuration and are never parsed as HTML), readable over any tile, and
 * not clickable, since the application's overlay takes the clicks.
 */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        root.MarluMaps.AttributionLine = factory(root);
    }
}(this, function (root) {
    'use strict';

    var L = root.L;

    return L.Control.extend({
        onAdd: function () {
            this._box = L.DomUtil.create('div', 'marlu-attribution');
            this._box.style.display = 'none';
            return this._box;
        },
        setText: function (text) {
            if (text === this._box.textContent) { return this; }   // a followed fix changes nothing here
            this._box.textContent = text;
            this._box.style.display = text ? '' : 'none';
            return this;
        },
        getText: function () {
            return this._box.textContent;
        }
    });
}));
