// The parts of Emscripten's JavaScript library that the game's libraries call
// from their own JavaScript (SDL's sound) or the game from its own, which the
// link would otherwise leave out.
mergeInto(LibraryManager.library, {
  zephyrion_library__deps: ['$autoResumeAudioContext', '$dynCall', '$stringToNewUTF8'],
  zephyrion_library: function () {},
});
