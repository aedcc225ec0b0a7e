// The web backend's keeping of saved files. The data set reaches the page
// in its package (data/, in memory); what the editors save there (maps in
// data/map, frame, roll and sprite files in data/images) is kept in the
// browser's IndexedDB, in the folder /saved that the page mounts before
// the program starts (IDBFS). At start the kept files are laid over the
// shipped ones; after every pass whose save places changed (checked at
// present, by names, sizes and times), the files that differ from the
// shipped ones are copied into /saved, the ones no longer there removed,
// and /saved written to IndexedDB. So a reload finds every save, and a
// newer data set still shows through wherever nothing was saved over it.
//
// What the program makes for the user to take away, screenshots (F12) and
// a record of the session (--record), is offered as a download: each new
// picture in screenshots/ at the present after it is written, the record
// when it ends.
#include <emscripten.h>

#include "platform/web/web_state.h"

// The save places and the kinds of file kept from them.
EM_JS(void, web_files_setup, (), {
    Module['brask_files'] = {
        places: ['data/map', 'data/images'],
        kinds: new RegExp("[.](map|frm|roll|spr)$"),
        shipped: {},
        signature: "",
        syncing: false,
        again: false,
        syncs: 0,
        offered: {},
    };
    Module['brask_downloads'] = [];
    Module['brask_download'] = function(path) {
        if (!FS.analyzePath(path).exists) return;
        var link = document.createElement('a');
        var type = path.endsWith('.png') ? 'image/png' : 'text/plain';
        link.href = URL.createObjectURL(new Blob([FS.readFile(path)], {type: type}));
        link.download = path.split('/').pop();
        document.body.appendChild(link);
        link.click();
        link.remove();
        setTimeout(function() { URL.revokeObjectURL(link.href); }, 60000);
        Module['brask_downloads'].push(path);
    };
});

// Lays the kept files over the shipped ones, remembering the shipped ones
// first (only files of the kept kinds, directly in a save place).
EM_JS(void, web_files_restore, (), {
    var files = Module['brask_files'];
    var kept = FS.analyzePath('/saved').exists;
    files.places.forEach(function(place) {
        var folder = '/' + place;
        if (!FS.analyzePath(folder).exists) FS.mkdirTree(folder);
        FS.readdir(folder).forEach(function(name) {
            var path = folder + '/' + name;
            if (files.kinds.test(name) && FS.isFile(FS.stat(path).mode)) files.shipped[path] = FS.readFile(path);
        });
        var store = '/saved/' + place;
        if (!kept || !FS.analyzePath(store).exists) return;
        FS.readdir(store).forEach(function(name) {
            if (!files.kinds.test(name)) return;
            FS.writeFile(folder + '/' + name, FS.readFile(store + '/' + name));
        });
    });
    files.signature = "";
});

// Copies changes of the save places into /saved and writes it to
// IndexedDB; nothing when the places look as they did last time.
EM_JS(void, web_files_keep, (), {
    var files = Module['brask_files'];
    if (!files || !FS.analyzePath('/saved').exists) return;
    var listing = [];
    files.places.forEach(function(place) {
        FS.readdir('/' + place).forEach(function(name) {
            if (!files.kinds.test(name)) return;
            var stat = FS.stat('/' + place + '/' + name);
            if (FS.isFile(stat.mode)) listing.push(place + '/' + name + ':' + stat.size + ':' + stat.mtime.getTime());
        });
    });
    var signature = listing.join("|");
    if (signature === files.signature) return;
    files.signature = signature;
    var same = function(a, b) {
        if (!a || !b || a.length !== b.length) return false;
        for (var i = 0; i < a.length; ++i) if (a[i] !== b[i]) return false;
        return true;
    };
    files.places.forEach(function(place) {
        var folder = '/' + place, store = '/saved/' + place;
        if (!FS.analyzePath(store).exists) FS.mkdirTree(store);
        var keep = {};
        FS.readdir(folder).forEach(function(name) {
            var path = folder + '/' + name;
            if (!files.kinds.test(name) || !FS.isFile(FS.stat(path).mode)) return;
            var bytes = FS.readFile(path);
            if (same(bytes, files.shipped[path])) return;
            keep[name] = true;
            var copy = store + '/' + name;
            var old = FS.analyzePath(copy).exists ? FS.readFile(copy) : null;
            if (!same(bytes, old)) FS.writeFile(copy, bytes);
        });
        FS.readdir(store).forEach(function(name) {
            if (name !== '.' && name !== '..' && !keep[name]) FS.unlink(store + '/' + name);
        });
    });
    var sync = function() {
        files.syncing = true;
        FS.syncfs(false, function(error) {
            if (error) console.log('saving to IndexedDB failed: ' + error);
            else files.syncs += 1;
            files.syncing = false;
            if (files.again) { files.again = false; sync(); }
        });
    };
    if (files.syncing) files.again = true;
    else sync();
});

// Offers the file at path as a download under its own name; the names
// offered so far are listed in Module.brask_downloads (for a test).
EM_JS(void, web_files_download, (const char* path), {
    if (Module['brask_download']) Module['brask_download'](UTF8ToString(path));
});

// Offers each picture that appeared in screenshots/ since the last call.
EM_JS(void, web_files_offer_screenshots, (), {
    var files = Module['brask_files'];
    if (!files || !FS.analyzePath('screenshots').exists) return;
    FS.readdir('screenshots').forEach(function(name) {
        if (!name.endsWith('.png') || files.offered[name]) return;
        files.offered[name] = true;
        Module['brask_download']('screenshots/' + name);
    });
});

void web_restore_saved_files()
{
    static bool restored = false;
    if (restored) return;
    restored = true;
    web_files_setup();
    web_files_restore();
    web_files_keep();
}

void web_offer_download(const char* path)
{
    web_files_download(path);
}

void web_keep_saved_files()
{
    web_files_keep();
    web_files_offer_screenshots();
}
