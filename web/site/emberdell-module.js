// Which build of the module this browser runs: the one with WebAssembly SIMD
// where the browser validates a SIMD instruction, the portable one elsewhere.
'use strict';
self.emberdellModuleName = (function () {
  // A function returning v128.const 0 after an i8x16 operation.
  const SimdProbe = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0, 10, 10, 1, 8, 0,
    65, 0, 253, 15, 253, 98, 11]);
  try {
    return WebAssembly.validate(SimdProbe) ? 'emberdell-simd' : 'emberdell';
  } catch (e) {
    return 'emberdell';
  }
})();
