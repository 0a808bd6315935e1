// Runs inside the program's module before it starts: fetches the drive and
// the soundtrack into the program's working folder, where it opens them by
// their bare names. A file that cannot be fetched is left out, and the
// program reports it as it would a missing file.
Module.preRun = [].concat(Module.preRun || [], () => {
  for (const name of ['amber_grid.cfs', 'amber_grid.mp3']) {
    addRunDependency(name);
    fetch(name)
      .then((response) => (response.ok ? response.arrayBuffer() : null))
      .catch(() => null)
      .then((bytes) => {
        if (bytes) FS.writeFile(name, new Uint8Array(bytes));
        removeRunDependency(name);
      });
  }
});
