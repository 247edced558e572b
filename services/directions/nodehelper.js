// The part of the OSRM adapter that runs in node: instruction texts made by
// osrm-text-instructions, and the route's geometry (a long route has some
// 100,000 points, too many to decode in Python in time).
// A long-lived child of the map service: one JSON request a line on stdin,
// {"language": "en", "steps": [...], "options": {...}, "geometries": [...],
// "join": true when the overview is to be made of the steps' polylines},
// one JSON answer a line on stdout, {"texts": [...], "ends": [...], "bounds":
// [s, w, n, e], "overview": "..."} or {"error": "..."}. Names are HTML-escaped
// and the words that matter wrapped in <b>, as the directions service writes.
'use strict';

// stdout carries the answers only; the library logs unknown step types with console.log.
console.log = console.error;

const path = require('path');
const readline = require('readline');

const library = path.join(__dirname, '..', 'node_modules', 'osrm-text-instructions');
const compiler = require(library)('v5');
const languages = require(path.join(library, 'languages')).supportedCodes;

const BOLD = new Set(['way_name', 'rotary_name', 'destination', 'exit', 'exit_number',
  'direction', 'waypoint_name']);

function escape(text) {
  return String(text).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');
}

// The way name is made of its name and ref tokens, already escaped here.
function formatToken(token, value) {
  const text = token === 'way_name' ? String(value) : escape(value);
  return BOLD.has(token) && text ? '<b>' + text + '</b>' : text;
}

function compile(language, steps, options) {
  return steps.map((step) => {
    try {
      return compiler.compile(language, step, Object.assign({formatToken: formatToken}, options));
    } catch (e) {
      return null;   // a step the library cannot word
    }
  });
}

// Encoded polyline: values in 1e-5 degrees, as (lat, lng) deltas.
function decode(text) {
  const values = [];
  let result = 0, shift = 0, last = [0, 0];
  for (let i = 0; i < text.length; i++) {
    const b = text.charCodeAt(i) - 63;
    if (b < 0 || b > 63) throw new Error('not a polyline');
    result |= (b & 0x1f) << shift;
    shift += 5;
    if (b < 0x20) {
      const value = (result & 1) ? ~(result >> 1) : (result >> 1);
      const k = values.length % 2;
      last[k] += value;
      values.push(last[k]);
      result = shift = 0;
      if (values.length === 2) values.firstLength = i + 1;
    }
  }
  if (shift !== 0 || values.length % 2) throw new Error('truncated polyline');
  return values;
}

function encodeValue(value) {
  let v = value < 0 ? ~(value << 1) : value << 1, out = '';
  while (v >= 0x20) {
    out += String.fromCharCode((0x20 | (v & 0x1f)) + 63);
    v >>= 5;
  }
  return out + String.fromCharCode(v + 63);
}

// The steps' polylines joined into one (each step starts where the last
// ended), the end of each, and the box around them all.
function geometry(texts, join) {
  const box = [Infinity, Infinity, -Infinity, -Infinity], ends = [];
  let overview = '', previous = null;
  for (const text of texts) {
    const values = decode(String(text));
    if (!values.length) {
      ends.push(null);
      continue;
    }
    for (let i = 0; i < values.length; i += 2) {
      box[0] = Math.min(box[0], values[i]);
      box[1] = Math.min(box[1], values[i + 1]);
      box[2] = Math.max(box[2], values[i]);
      box[3] = Math.max(box[3], values[i + 1]);
    }
    const n = values.length;
    if (!join) {
      // the route's own overview serves
    } else if (previous === null) {
      overview = text;
    } else {
      const rest = text.slice(values.firstLength);
      const dLat = values[0] - previous[0], dLng = values[1] - previous[1];
      overview += (dLat || dLng) ? encodeValue(dLat) + encodeValue(dLng) + rest : rest;
    }
    previous = [values[n - 2], values[n - 1]];
    ends.push([values[n - 2] / 1e5, values[n - 1] / 1e5]);
  }
  return {ends: ends, overview: overview,
    bounds: ends.some((e) => e) ? box.map((v) => v / 1e5) : null};
}

function answer(line) {
  let request;
  try {
    request = JSON.parse(line);
  } catch (e) {
    return {error: 'unreadable request'};
  }
  const language = languages.indexOf(request.language) >= 0 ? request.language : 'en';
  try {
    const reply = {texts: compile(language, request.steps || [], request.options || {})};
    return Object.assign(reply, geometry(request.geometries || [], request.join));
  } catch (e) {
    return {error: String(e.message)};
  }
}

readline.createInterface({input: process.stdin}).on('line', (line) => {
  process.stdout.write(JSON.stringify(answer(line)) + '\n');
});
