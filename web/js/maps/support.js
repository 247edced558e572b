/*
 * Helpers shared by the google.maps stand-in's classes.
 *
 * QtWebKit turns the value of every evaluated snippet into a QVariant by
 * walking the object's enumerable properties; walking a Leaflet object takes
 * 0.1 to 2.5 s. So Leaflet objects are kept in non-enumerable properties,
 * methods are non-enumerable too, and mutators return undefined.
 */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        root.MarluMaps = factory(root);
    }
}(this, function () {
    'use strict';

    function hide(obj, name, value) {
        Object.defineProperty(obj, name, { value: value, writable: true, configurable: true, enumerable: false });
    }

    function methods(ctor, table) {
        Object.keys(table).forEach(function (name) { hide(ctor.prototype, name, table[name]); });
    }

    function inherit(Child, Parent) {
        Child.prototype = Object.create(Parent.prototype);
        hide(Child.prototype, 'constructor', Child);
    }

    return { MIN_ZOOM: 0, MAX_ZOOM: 18, hide: hide, methods: methods, inherit: inherit };
}));
