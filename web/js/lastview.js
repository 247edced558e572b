/*
 * The last view (centre and zoom), kept in the page's web storage so that the
 * next start shows the map where the user left it. Position updates start
 * only after the page has loaded, so when they are on, the first followed fix
 * moves the map on from there as it always does.
 *
 * The Web SQL database where the browser offers it: the application's web view
 * keeps it on disk, while its localStorage, though present, lives only as long
 * as the page. localStorage serves other browsers.
 */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        root.MarluLastView = factory(root);
    }
}(this, function (root) {
    'use strict';

    var KEY = 'marlu.lastView';
    var SAVE_DELAY_MS = 1000;

    function localStore(storage) {
        return {
            get: function (done) { done(storage.getItem(KEY)); },
            set: function (text, done) {
                storage.setItem(KEY, text);
                done();
            }
        };
    }

    // Reads and writes in transactions, which the database runs in order;
    // done(result) once the transaction is over, with null when it failed.
    function sqlStore(db) {
        function run(sql, args, done) {
            var result = null;
            db.transaction(function (tx) {
                tx.executeSql('CREATE TABLE IF NOT EXISTS kept (key TEXT PRIMARY KEY, value TEXT)');
                tx.executeSql(sql, args, function (tx2, rows) { result = rows; });
            }, function () { done(null); }, function () { done(result); });
        }
        return {
            get: function (done) {
                run('SELECT value FROM kept WHERE key = ?', [KEY], function (result) {
                    done(result && result.rows.length ? result.rows.item(0).value : null);
                });
            },
            set: function (text, done) {
                run('INSERT OR REPLACE INTO kept (key, value) VALUES (?, ?)', [KEY, text], done);
            }
        };
    }

    // The page's storage, or null where the browser keeps none.
    function openStore() {
        try {
            if (typeof root.openDatabase === 'function') {
                return sqlStore(root.openDatabase('marlu', '', 'Marlu map page', 64 * 1024));
            }
            if (root.localStorage) { return localStore(root.localStorage); }
        } catch (e) {
            // Refused for this page: nothing is kept.
        }
        return null;
    }

    // {center: {lat, lng}, zoom} from the stored text, or null.
    function parse(text) {
        if (text === null || text === undefined) { return null; }
        var view = null;
        try {
            view = JSON.parse(text);
        } catch (e) {
            view = null;
        }
        if (view && typeof view === 'object' && typeof view.lat === 'number' && typeof view.lng === 'number' &&
                Math.abs(view.lat) <= 90 && Math.abs(view.lng) <= 180 &&
                typeof view.zoom === 'number' && Math.floor(view.zoom) === view.zoom && view.zoom >= 0 && view.zoom <= 18) {
            return { center: { lat: view.lat, lng: view.lng }, zoom: view.zoom };
        }
        root.console.log('Ignoring the stored last view, which cannot be read: ' + String(text).slice(0, 80));
        return null;
    }

    var saved = null;

    // Whether `map` still shows `view`, to within a pixel (a resize may have
    // nudged it by less).
    function stillAt(map, view) {
        var pixel = 360 / 256 / Math.pow(2, view.zoom), center = map.getCenter();
        return map.getZoom() === view.zoom && Math.abs(center.lat() - view.center.lat()) < pixel &&
            Math.abs(center.lng() - view.center.lng()) < pixel;
    }

    // Shows the stored view on `map` unless the map has moved meanwhile, and
    // stores its view from then on, a second after it changes: a followed
    // fix moves the map every second or more often, and a write per fix would
    // cost more than the rest of it.
    function restoreAndKeep(map) {
        var store = openStore(), start = { center: map.getCenter(), zoom: map.getZoom() }, timer = null;
        if (!store) { return; }
        function write() {
            var center = map.getCenter(), text = JSON.stringify({ lat: center.lat(), lng: center.lng(), zoom: map.getZoom() });
            timer = null;
            try {
                store.set(text, function () { saved = text; });
            } catch (e) {
                // Storage full or refused: the next start shows the default view.
            }
        }
        map.addViewListener(function () {
            if (timer === null) { timer = setTimeout(write, SAVE_DELAY_MS); }
        });
        store.get(function (text) {
            var view = parse(text);
            if (view && stillAt(map, start)) {
                map.setZoom(view.zoom);
                map.setCenter(view.center);
            }
        });
    }

    return {
        KEY: KEY,
        restoreAndKeep: restoreAndKeep,
        // The text last written, for tests; null before the first write.
        saved: function () { return saved; }
    };
}));
