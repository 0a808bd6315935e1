// Runs inside the program's module before it starts: puts the drive and the
// soundtrack into the program's working folder, where it opens them by their
// bare names, telling the page how much of each has arrived
// (Module.amberLoading). The served page fetches them from beside itself.
// The one-file page carries them, and the WebAssembly, inside itself as
// base64 blocks named after the files, and makes no request at all. A file
// that cannot be had is left out, and the program reports it as it would a
// missing file.
function amberInside(name) {
  const block = document.getElementById(name);
  if (!block) return null;
  const text = atob(block.textContent);
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
  if (Module.amberLoading) Module.amberLoading(name, bytes.length, bytes.length);
  return bytes;
}

async function amberFetch(name) {
  const response = await fetch(name);
  if (!response.ok) return null;
  const total = Number(response.headers.get('Content-Length')) || 0;
  const reader = response.body.getReader();
  const chunks = [];
  let loaded = 0;
  for (;;) {
    const { done, value } = await reader.read();
    if (done) break;
    chunks.push(value);
    loaded += value.length;
    if (Module.amberLoading) Module.amberLoading(name, loaded, Math.max(total, loaded));
  }
  const bytes = new Uint8Array(loaded);
  let at = 0;
  for (const chunk of chunks) { bytes.set(chunk, at); at += chunk.length; }
  return bytes;
}

Module.wasmBinary = Module.wasmBinary || amberInside('amber_grid.wasm');
Module.preRun = [].concat(Module.preRun || [], () => {
  for (const name of ['amber_grid.cfs', 'amber_grid.mp3']) {
    addRunDependency(name);
    Promise.resolve(amberInside(name) || amberFetch(name))
      .catch(() => null)
      .then((bytes) => {
        if (bytes) FS.writeFile(name, bytes);
        removeRunDependency(name);
      });
  }
});
