// Runs in the page before the game's main: brings back the player's folder
// from the browser's IndexedDB and turns the page's address into the game's
// arguments. The page (index.html) sets Module up before this runs.
//
//   ?play=top-1          watches the high-score row's demo (demos/top-1.zdemo)
//   ?play=last           the last game's demo
//   ?play=attract-2      the second game that ships for the attract mode
//   ?play=URL.zdemo      a demo fetched from the server, relative to the page
//   ?timedemo=...        the same names, replayed as fast as frames allow
//   &shot=TICK           with it: that tick's picture, to shot.png in the player's folder
var playerFolder = '/home/web_user/Zephyrion';

// The arguments are read as the program is made, before anything else runs.
var query = new URLSearchParams(location.search);
var replayMode = query.has('timedemo') ? 'timedemo' : query.has('play') ? 'play' : '';
var replayName = replayMode ? query.get(replayMode) : '';
var fetchedDemo = /\.zdemo$/.test(replayName) ? '/fetched/' + replayName.replace(/^.*\//, '') : '';
if (replayMode) {
  var demoPath = fetchedDemo ? fetchedDemo
      : /^attract-[0-9]+$/.test(replayName) ? '/game/attract/' + replayName.slice(8) + '.zdemo'
      : 'demos/' + replayName.replace(/[^A-Za-z0-9_-]/g, '') + '.zdemo';
  Module.arguments = ['--' + replayMode, demoPath];
  if (/^[0-9]+$/.test(query.get('shot') || ''))
    Module.arguments.push('--shot', query.get('shot'), 'shot.png');
}

Module.preRun = Module.preRun || [];
Module.preRun.push(function () {
  FS.mkdirTree(playerFolder);
  FS.mount(IDBFS, {}, playerFolder);
  FS.chdir(playerFolder);
  addRunDependency('player-folder');
  FS.syncfs(true, function (error) {
    // Without IndexedDB (a private window, storage refused) the game still
    // runs: what it saves lasts until the page closes, and its log says so.
    Module.playerFilesError = error ? String(error.message || error.errno || error) : '';
    removeRunDependency('player-folder');
  });
  if (!fetchedDemo)
    return;
  FS.mkdirTree('/fetched');
  addRunDependency('demo');
  fetch(replayName).then(function (response) {
    if (!response.ok)
      throw new Error(response.status + ' ' + response.statusText);
    return response.arrayBuffer();
  }).then(function (bytes) {
    FS.writeFile(fetchedDemo, new Uint8Array(bytes));
  }).catch(function (error) {
    console.error('Cannot fetch the demo ' + replayName + ': ' + error.message);
  }).finally(function () {
    removeRunDependency('demo');
  });
});
