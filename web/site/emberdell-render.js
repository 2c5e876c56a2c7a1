// window.emberdell.render(args, files): the headless renderer in the page.
// args are emberdell-render's arguments; files maps each input path they
// name to its bytes. Resolves to {status, message, files}: the program's exit
// status, what it would have printed, and each output it wrote by its path.
'use strict';
(function () {
  const emberdell = (window.emberdell = window.emberdell || {});
  function ask(message) {
    return new Promise((resolve, reject) => {
      const worker = new Worker('render-worker.js');
      worker.onmessage = (event) => {
        worker.terminate();
        resolve(event.data);
      };
      worker.onerror = (event) => {
        worker.terminate();
        reject(new Error(event.message || 'the renderer could not start'));
      };
      // ?module=emberdell (or emberdell-simd) picks the build, for the tests.
      message.module = new URLSearchParams(location.search).get('module') || '';
      worker.postMessage(message);
    });
  }
  emberdell.render = function (args, files) {
    const inputs = {};
    for (const [path, bytes] of Object.entries(files || {})) inputs[path] = new Uint8Array(bytes);
    return ask({ args: Array.from(args || [], String), files: inputs });
  };
  // Which module the browser runs.
  emberdell.build = function () {
    return ask({ query: 'build' });
  };
})();
