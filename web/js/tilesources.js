/*
 * Where the map's tiles come from: the sets the map service describes at
 * /tiles/sources.json, one per map type and overlay, and which set a map
 * type shows at a zoom. The service publishes only templates it found
 * usable; the page still reads the file defensively, as data.
 */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        root.MarluTileSources = factory(root);
    }
}(this, function (root) {
    'use strict';

    var URL = '/tiles/sources.json';
    var TIMEOUT_MS = 10000;
    var MAX_ZOOM = 18;
    var MAP_TYPES = ['roadmap', 'satellite', 'hybrid', 'terrain'];
    var OVERLAYS = ['traffic', 'bicycling'];
    // From this zoom on, a street map that lacks streets in view says so.
    var STREET_ZOOM = 10;
    var NO_STREETS = 'No street data here';

    // The service's offline sets: what the page uses when it cannot ask.
    var OFFLINE = {
        roadmap: { url: '/tiles/roadmap/{z}/{x}/{y}.png', minzoom: 0, maxzoom: 18,
                   attribution: '© OpenStreetMap contributors, GeoNames, Natural Earth' },
        satellite: { url: '/tiles/satellite/{z}/{x}/{y}.png', minzoom: 0, maxzoom: 3,
                     attribution: 'NASA Blue Marble', fallback: 'roadmap', note: 'No imagery at this zoom' },
        hybrid: { url: '/tiles/hybrid/{z}/{x}/{y}.png', minzoom: 0, maxzoom: 3,
                  attribution: 'NASA Blue Marble, GeoNames', fallback: 'roadmap', note: 'No imagery at this zoom' },
        terrain: { url: null, attribution: '', fallback: 'roadmap', note: 'No terrain data' },
        traffic: { url: null, overlay: true, attribution: '', note: 'No traffic data' },
        bicycling: { url: '/tiles/bicycling/{z}/{x}/{y}.png', minzoom: 10, maxzoom: 18, overlay: true,
                     attribution: '© OpenStreetMap contributors' }
    };

    function text(value) {
        return typeof value === 'string' ? value.trim().slice(0, 300) : '';
    }

    function zoom(value, fallback) {
        return typeof value === 'number' && Math.floor(value) === value && value >= 0 && value <= MAX_ZOOM ? value : fallback;
    }

    // The page loads tiles from its own host ("/...") or an http(s) one,
    // never from another scheme (javascript:, file:, data:).
    function httpUrl(url) {
        return typeof url === 'string' && /^(\/(?!\/)|https?:\/\/[^\/?#]+\/)/.test(url);
    }

    // Where a set draws streets, as [west, south, east, north] boxes; null
    // (anywhere) unless every box is four numbers.
    function streetBoxes(value) {
        var boxes = Array.isArray(value) ? value.filter(function (box) {
            return Array.isArray(box) && box.length === 4 && box.every(function (v) { return typeof v === 'number' && isFinite(v); });
        }) : [];
        return Array.isArray(value) && boxes.length === value.length ? boxes : null;
    }

    function readSet(name, entry, problems) {
        var set = {
            url: null, minzoom: 0, maxzoom: MAX_ZOOM, attribution: text(entry.attribution), note: text(entry.note),
            fallback: MAP_TYPES.indexOf(entry.fallback) >= 0 && entry.fallback !== name ? entry.fallback : null,
            overlay: OVERLAYS.indexOf(name) >= 0, streets: streetBoxes(entry.streets)
        };
        if (entry.url !== null && entry.url !== undefined) {
            if (httpUrl(entry.url)) {
                set.url = entry.url;
            } else {
                problems.push(name + ': unusable url');
            }
        }
        set.minzoom = zoom(entry.minzoom, 0);
        set.maxzoom = zoom(entry.maxzoom, MAX_ZOOM);
        return set;
    }

    // The six sets from a parsed sources.json; a set it lacks or cannot give
    // is the offline one, an entry with a bad url draws nothing. `problems`
    // collects what was wrong, for the log.
    function readSets(json, problems) {
        var given = json && typeof json === 'object' && json.sets && typeof json.sets === 'object' ? json.sets : null;
        var sets = {};
        if (!given) { problems.push('no "sets" object'); }
        MAP_TYPES.concat(OVERLAYS).forEach(function (name) {
            var entry = given && given[name];
            if (!entry || typeof entry !== 'object') {
                if (given) { problems.push(name + ': missing'); }
                entry = OFFLINE[name];
            }
            sets[name] = readSet(name, entry, problems);
        });
        return sets;
    }

    function offlineSets() {
        return readSets({ sets: OFFLINE }, []);
    }

    function covers(set, z) {
        return !!set && set.url !== null && z >= set.minzoom && z <= set.maxzoom;
    }

    // What set `name` shows at zoom z: {set: the name of the set drawn or
    // null, note: what the attribution line adds ('' for nothing)}. A map
    // type outside its set shows its fallback set and says so.
    function shownAt(sets, name, z) {
        var set = sets[name];
        if (covers(set, z)) { return { set: name, note: '' }; }
        var fallback = set && set.fallback;
        return { set: fallback && covers(sets[fallback], z) ? fallback : null, note: set ? set.note : '' };
    }

    // Whether `set`, shown at zoom z over view [west, south, east, north],
    // has no streets there that it knows of.
    function lacksStreets(set, view, z) {
        return !!set && set.streets !== null && z >= STREET_ZOOM && !set.streets.some(function (b) {
            return b[0] < view[2] && view[0] < b[2] && b[1] < view[3] && view[1] < b[3];
        });
    }

    // Asks the service; done(sets, problem) once: problem is null when the
    // service answered, else why the offline sets are used.
    function load(done) {
        var xhr = new XMLHttpRequest(), finished = false, timer = null;
        function finish(sets, problem) {
            if (finished) { return; }
            finished = true;
            clearTimeout(timer);
            done(sets, problem);
        }
        function offline(why) {
            finish(offlineSets(), why + '; using the offline tiles');
        }
        timer = setTimeout(function () {
            xhr.onreadystatechange = null;
            try { xhr.abort(); } catch (e) { /* already gone */ }
            offline('no answer');
        }, TIMEOUT_MS);
        xhr.onreadystatechange = function () {
            if (xhr.readyState !== 4) { return; }
            if (xhr.status !== 200) {
                offline('HTTP status ' + xhr.status);
                return;
            }
            var json = null, problems = [];
            try {
                json = JSON.parse(xhr.responseText);
            } catch (e) {
                offline('not JSON');
                return;
            }
            var sets = readSets(json, problems);
            finish(sets, problems.length ? problems.join('; ') : null);
        };
        try {
            xhr.open('GET', URL, true);
            xhr.send();
        } catch (e) {
            offline(String(e.message || e));
        }
    }

    return { URL: URL, MAP_TYPES: MAP_TYPES, OVERLAYS: OVERLAYS, readSets: readSets, offlineSets: offlineSets,
             shownAt: shownAt, lacksStreets: lacksStreets, STREET_ZOOM: STREET_ZOOM, NO_STREETS: NO_STREETS, load: load };
}));
