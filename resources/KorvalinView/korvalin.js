// Timetable pages of a Korvalin Pro project. The project's table files are JavaScript
// statements that append one array each to porTables; they are loaded one after the other,
// so the length before each load tells which array belongs to which file.
var porTables = [];

(function () {
    'use strict';

    // The length of the well-formed UTF-8 sequence at bytes[i], 0 when there is none.
    function utf8Length(bytes, i) {
        var b = bytes[i];
        var n = b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
        if (n === 0 || i + n > bytes.length) {
            return 0;
        }
        for (var k = 1; k < n; k++) {
            if ((bytes[i + k] & 0xC0) !== 0x80) {
                return 0;
            }
        }
        var second = bytes[i + 1];
        if ((b === 0xE0 && second < 0xA0) || (b === 0xED && second > 0x9F) ||
            (b === 0xF0 && second < 0x90) || (b === 0xF4 && second > 0x8F)) {
            return 0;
        }
        return n;
    }

    // UTF-8 bytes as text; a byte that starts no well-formed sequence reads as U+FFFD.
    function decodeBytes(bytes) {
        var out = '';
        var i = 0;
        while (i < bytes.length) {
            if (bytes[i] < 0x80) {
                out += String.fromCharCode(bytes[i]);
                i += 1;
                continue;
            }
            var n = utf8Length(bytes, i);
            if (n === 0) {
                out += '\uFFFD';
                i += 1;
                continue;
            }
            var cp = bytes[i] & (0xFF >> (n + 1));
            for (var k = 1; k < n; k++) {
                cp = (cp << 6) | (bytes[i + k] & 0x3F);
            }
            out += String.fromCodePoint(cp);
            i += n;
        }
        return out;
    }

    // Decodes the percent escapes of an address once, as UTF-8 (the loader page escapes every
    // character beyond printable ASCII so); a "%" that starts no escape stays as it stands.
    function decodeAddress(text) {
        var out = '';
        var bytes = [];
        var i = 0;
        while (i < text.length) {
            if (text.charAt(i) === '%' && /^[0-9A-Fa-f]{2}$/.test(text.substr(i + 1, 2))) {
                bytes.push(parseInt(text.substr(i + 1, 2), 16));
                i += 3;
                continue;
            }
            if (bytes.length) {
                out += decodeBytes(bytes);
                bytes = [];
            }
            out += text.charAt(i);
            i += 1;
        }
        return out + decodeBytes(bytes);
    }

    function queryValue(search, key) {
        var query = search.charAt(0) === '?' ? search.substring(1) : search;
        var parts = query.split('&');
        for (var i = 0; i < parts.length; i++) {
            var eq = parts[i].indexOf('=');
            var name = eq < 0 ? parts[i] : parts[i].substring(0, eq);
            if (name === key) {
                return eq < 0 ? '' : parts[i].substring(eq + 1);
            }
        }
        return null;
    }

    function encodeSegment(segment) {
        try {
            return encodeURIComponent(segment).replace(/%3A/g, ':');
        } catch (e) {
            return segment.replace(/%/g, '%25').replace(/#/g, '%23').replace(/\?/g, '%3F');
        }
    }

    function encodePath(path) {
        return path.split('/').map(encodeSegment).join('/');
    }

    // What stands before a table file's name. Only the local preview names the project folder
    // in the query, and only a page opened from a file may take it, and only as a file address
    // or a plain folder path: anyone can put a key into a website's address, and another
    // site's files or a script address would then run as this site's own. Otherwise the
    // tables lie beside this page.
    var tableBase = (function () {
        var value = queryValue(window.location.search, 'quernatab_path');
        if (value === null || value === '' || window.location.protocol !== 'file:') {
            return '';
        }
        var folder = decodeAddress(value).replace(/\\/g, '/').replace(/\/+$/, '');
        if (/[\u0000-\u001F\u007F]/.test(folder)) {
            return '';
        }
        var m = /^file:\/*/i.exec(folder);
        if (m) {
            return 'file:///' + encodePath(folder.substring(m[0].length)) + '/';
        }
        if (/^[A-Za-z]:(\/|$)/.test(folder)) {
            return 'file:///' + encodePath(folder) + '/';
        }
        if (/^[A-Za-z][A-Za-z0-9+.\-]*:/.test(folder)) {
            return '';
        }
        if (folder.charAt(0) === '/') {
            return 'file:///' + encodePath(folder.replace(/^\/+/, '')) + '/';
        }
        return folder === '' ? '' : encodePath(folder) + '/';
    })();

    function fileAddress(name) {
        return tableBase + encodePath(name);
    }

    // A table file's array as field names and rows of objects; an array that does not end
    // with its field count, a missing file or one that failed counts as an empty table.
    function toTable(array) {
        var table = { fields: [], rows: [] };
        if (!Array.isArray(array) || array.length < 1) {
            return table;
        }
        var count = array[array.length - 1];
        if (typeof count !== 'number' || !Number.isInteger(count) || count < 1 || count > array.length - 1) {
            return table;
        }
        table.fields = array.slice(0, count).map(String);
        for (var i = count; i + count <= array.length - 1; i += count) {
            var row = {};
            for (var k = 0; k < count; k++) {
                row[table.fields[k]] = array[i + k];
            }
            table.rows.push(row);
        }
        return table;
    }

    var loaded = {};

    function loadTable(name) {
        if (loaded[name]) {
            return loaded[name];
        }
        loaded[name] = new Promise(function (resolve) {
            var before = porTables.length;
            var script = document.createElement('script');
            script.charset = 'windows-1252';
            script.onload = script.onerror = function () {
                script.parentNode.removeChild(script);
                resolve(toTable(porTables.length > before ? porTables[before] : null));
            };
            script.src = fileAddress(name);
            document.head.appendChild(script);
        });
        return loaded[name];
    }

    // One after the other, so that porTables.length identifies each file's table.
    var queue = Promise.resolve();

    function load(name) {
        var result = queue.then(function () {
            return loadTable(name);
        });
        queue = result;
        return result;
    }

    function isNumber(v) {
        return typeof v === 'number' && isFinite(v);
    }

    function two(n) {
        return (n < 10 ? '0' : '') + n;
    }

    function cellText(value, intervals) {
        if (!isNumber(value) || value === -1) {
            return '';
        }
        if (value >= 0) {
            var minutes = Math.floor(value) % 1440;
            return two(Math.floor(minutes / 60)) + ':' + two(minutes % 60);
        }
        if (!Number.isInteger(value)) {
            return '';
        }
        var id = -value;
        for (var i = 0; i < intervals.rows.length; i++) {
            var row = intervals.rows[i];
            if (row.ID === id && isNumber(row.Interval)) {
                return 'alle ' + row.Interval + ' Min.';
            }
        }
        return '';
    }

    function byName(a, b) {
        return String(a).localeCompare(String(b), 'de', { numeric: true });
    }

    function element(tag, text, className) {
        var e = document.createElement(tag);
        if (text !== undefined && text !== null) {
            e.textContent = String(text);
        }
        if (className) {
            e.className = className;
        }
        return e;
    }

    function option(value, text) {
        var o = element('option', text);
        o.value = String(value);
        return o;
    }

    var data = {};
    var request = 0;

    function stationName(id) {
        for (var i = 0; i < data.stations.rows.length; i++) {
            if (data.stations.rows[i].ID === id) {
                var name = data.stations.rows[i].Station;
                return name === null || name === undefined ? '' : String(name);
            }
        }
        return '';
    }

    // A timetable exists where its line connection row still holds all three fields.
    function connections() {
        return data.lineConnections.rows.filter(function (r) {
            return isNumber(r.ID) && isNumber(r.LineID) && isNumber(r.DayGroupID) && isNumber(r.Direction);
        });
    }

    function lineStationsOf(lineId) {
        return data.lineStations.rows.filter(function (r) {
            return r.LineID === lineId;
        }).sort(function (a, b) {
            return a.LineStationNumber - b.LineStationNumber;
        });
    }

    function selected(id) {
        var v = document.getElementById(id).value;
        return v === '' ? NaN : Number(v);
    }

    function fillSelect(id, options) {
        var select = document.getElementById(id);
        var previous = select.value;
        while (select.firstChild) {
            select.removeChild(select.firstChild);
        }
        options.forEach(function (o) {
            select.appendChild(o);
        });
        if (options.some(function (o) { return o.value === previous; })) {
            select.value = previous;
        }
    }

    function fillLines() {
        var ids = connections().map(function (r) { return r.LineID; });
        var lines = data.lines.rows.filter(function (r) {
            return ids.indexOf(r.ID) >= 0;
        }).sort(function (a, b) {
            return byName(a.Line, b.Line);
        });
        fillSelect('lineSelect', lines.map(function (r) { return option(r.ID, r.Line); }));
        fillDayGroups();
    }

    function fillDayGroups() {
        var line = selected('lineSelect');
        var ids = connections().filter(function (r) { return r.LineID === line; }).map(function (r) {
            return r.DayGroupID;
        });
        var groups = data.dayGroups.rows.filter(function (r) { return ids.indexOf(r.ID) >= 0; });
        fillSelect('dayGroupSelect', groups.map(function (r) {
            var o = option(r.ID, r.Group);
            if (r.Text) {
                o.title = String(r.Text);
            }
            return o;
        }));
        fillDirections();
    }

    function fillDirections() {
        var line = selected('lineSelect');
        var group = selected('dayGroupSelect');
        var stops = lineStationsOf(line);
        var options = [];
        [1, 2].forEach(function (d) {
            var exists = connections().some(function (r) {
                return r.LineID === line && r.DayGroupID === group && r.Direction === d;
            });
            if (!exists) {
                return;
            }
            var text = 'Richtung ' + d;
            if (stops.length) {
                var end = stops[d === 1 ? stops.length - 1 : 0];
                text += ' (nach ' + stationName(end.StationID) + ')';
            }
            options.push(option(d, text));
        });
        fillSelect('directionSelect', options);
        showTimetable();
    }

    function showTimetable() {
        var line = selected('lineSelect');
        var group = selected('dayGroupSelect');
        var direction = selected('directionSelect');
        var table = document.getElementById('timetable');
        var note = document.getElementById('timetableNote');
        var serial = ++request;
        var connection = connections().filter(function (r) {
            return r.LineID === line && r.DayGroupID === group && r.Direction === direction;
        })[0];
        if (!connection) {
            table.textContent = '';
            table.setAttribute('data-for', '');
            note.textContent = 'Kein Fahrplan vorhanden.';
            return;
        }
        Promise.all([load('ttc_' + line + '.ptf'), load('tt_' + connection.ID + '.ptf')]).then(function (files) {
            if (serial !== request) {
                return;
            }
            renderTimetable(table, files[0], files[1], group, direction);
            note.textContent = '';
            table.setAttribute('data-for', line + '/' + group + '/' + direction);
        });
    }

    function renderTimetable(table, stopRows, trips, group, direction) {
        var stops = stopRows.rows.filter(function (r) {
            return r.DayGroupID === group && r.Direction === direction && isNumber(r.Position);
        }).sort(function (a, b) {
            return a.Position - b.Position;
        });
        table.textContent = '';
        var head = element('thead');
        var headRow = element('tr');
        headRow.appendChild(element('th', 'Haltestelle'));
        trips.rows.forEach(function (trip, i) {
            headRow.appendChild(element('th', isNumber(trip.ID) ? trip.ID : i + 1));
        });
        head.appendChild(headRow);
        table.appendChild(head);
        var body = element('tbody');
        stops.forEach(function (stop) {
            var row = element('tr');
            var name = element('th', stationName(stop.StationID));
            name.scope = 'row';
            row.appendChild(name);
            trips.rows.forEach(function (trip) {
                row.appendChild(element('td', cellText(trip[String(stop.Position)], data.intervals)));
            });
            body.appendChild(row);
        });
        table.appendChild(body);
    }

    function showStations() {
        var list = document.getElementById('stationList');
        list.textContent = '';
        var stations = data.stations.rows.slice().sort(function (a, b) {
            return byName(a.Station, b.Station);
        });
        stations.forEach(function (station) {
            var lineIds = [];
            data.lineStations.rows.forEach(function (r) {
                if (r.StationID === station.ID && lineIds.indexOf(r.LineID) < 0) {
                    lineIds.push(r.LineID);
                }
            });
            var names = data.lines.rows.filter(function (r) {
                return lineIds.indexOf(r.ID) >= 0;
            }).map(function (r) {
                return String(r.Line);
            }).sort(byName);
            var item = element('li');
            item.appendChild(element('span', stationName(station.ID), 'station'));
            item.appendChild(document.createTextNode(' '));
            item.appendChild(element('span', names.join(', '), 'lines'));
            list.appendChild(item);
        });
    }

    function showPlans() {
        var list = document.getElementById('planList');
        list.textContent = '';
        data.lineMaps.rows.forEach(function (plan) {
            if (!isNumber(plan.ID)) {
                return;
            }
            var link = element('a', plan.Name === null ? '' : plan.Name);
            link.href = fileAddress('images/line_map_' + plan.ID + '.jpg');
            var item = element('li');
            item.appendChild(link);
            list.appendChild(item);
        });
    }

    function start() {
        var names = {
            prefs: 'prefs.ptf',
            stations: 'stations.ptf',
            lines: 'lines.ptf',
            lineStations: 'line_stations.ptf',
            dayGroups: 'daygroups.ptf',
            lineConnections: 'line_connections.ptf',
            intervals: 'intervals.ptf',
            lineMaps: 'line_maps.ptf'
        };
        var keys = Object.keys(names);
        Promise.all(keys.map(function (k) { return load(names[k]); })).then(function (tables) {
            keys.forEach(function (k, i) {
                data[k] = tables[i];
            });
            var prefs = data.prefs.rows[0];
            if (prefs && prefs.ProjectName) {
                document.getElementById('projectName').textContent = String(prefs.ProjectName);
                document.title = String(prefs.ProjectName);
            }
            document.getElementById('lineSelect').addEventListener('change', fillDayGroups);
            document.getElementById('dayGroupSelect').addEventListener('change', fillDirections);
            document.getElementById('directionSelect').addEventListener('change', showTimetable);
            showStations();
            showPlans();
            fillLines();
            document.getElementById('status').textContent = '';
            document.body.setAttribute('data-state', 'ready');
        });
    }

    start();
})();
