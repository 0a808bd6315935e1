// Every call from the program's web main to its page, as one --js-library.
// The program and the page share these Module names, and no others:
//
//   set by the page (web/index.html), read here:
//     amberStarted         the viewer has clicked: the sound may play
//   the page's, called here:
//     amberChapter(entry, seconds, scene)   one chapter of the timeline
//     amberFrame(entry, picture, at)        each frame shown
//     amberSeeked(seconds, ms)              each seek, and how long it took
//     amberPaused(paused, seconds)          the production stood still or went on
//     amberStillDone(seconds, shown)        a still on the canvas (?at=)
//     amberStillsDone(), amberBenchDone()   the stills or the bench have finished
//     amberLoading(name, loaded, total)     how much of a data file has arrived
//                                           (web/amber_pre.js calls it)
//   kept by the program, read by the page:
//     amberHiddenMs        how long the page has been hidden (here)
//     amberSound           the soundtrack's Web Audio player, which the page
//                          resumes on a gesture (sound/fsound_web.cpp)
//   the page's own, which the tests read: amberNow, amberChapters, and with
//   ?test only, amberSeeks (and window.amberStills).
//
// The program hands the page nothing else, and the page hands the program
// its options once, as main's arguments (web/web_main.cpp).
mergeInto(LibraryManager.library, {
  velq_web_viewer_started: function () {
    return Module.amberStarted ? 1 : 0;
  },

  velq_web_chapter: function (entry, seconds, scene) {
    Module.amberChapter(entry, seconds, UTF8ToString(scene));
  },

  // The page's time (performance.now) at which the production's clock
  // reached the picture is at.
  velq_web_frame_shown: function (entry, picture, at) {
    Module.amberFrame(entry, picture, at);
  },

  velq_web_seeked: function (seconds, ms) {
    Module.amberSeeked(seconds, ms);
  },

  velq_web_pause_shown: function (paused, seconds) {
    Module.amberPaused(paused !== 0, seconds);
  },

  // The page takes each still from the canvas before the browser shows it;
  // shown is 0 for one past the tape's end.
  velq_web_still_done: function (seconds, shown) {
    Module.amberStillDone(seconds, shown !== 0);
  },

  velq_web_stills_done: function () {
    Module.amberStillsDone();
  },

  velq_web_bench_done: function () {
    Module.amberBenchDone();
  },

  // The page's time while it has been shown. A hidden page draws nothing and
  // its sound pauses, so the production pauses with both; a stall of the
  // shown page is caught up, since the sound plays on through it.
  velq_web_count_hidden_time: function () {
    Module.amberHiddenMs = 0;
    let hiddenSince = document.hidden ? performance.now() : -1;
    document.addEventListener('visibilitychange', () => {
      if (document.hidden) {
        hiddenSince = performance.now();
      } else if (hiddenSince >= 0) {
        Module.amberHiddenMs += performance.now() - hiddenSince;
        hiddenSince = -1;
      }
    });
  },

  velq_web_shown_ms: function () {
    return performance.now() - Module.amberHiddenMs;
  },
});
