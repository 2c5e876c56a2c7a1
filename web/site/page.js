// The page: the core burns the picture on the canvas; the browser decodes
// pictures, keeps the settings, paces the frames and plays the sound.
'use strict';
(function () {
  const $ = (id) => document.getElementById(id);
  let canvas = $('fire');
  const StylesFolder = '/styles/';
  // Keys of what the page keeps on this machine: the settings and the
  // screenshot counter, nothing else.
  const Store = 'emberdell.settings', ShotCounter = 'emberdell.lastScreenshot';
  const Defaults = { fps: 25, pictureHeight: 100, changingDelay: 120 };

  let M = null; // the module
  let settings = loadSettings();
  let drawer = null; // how the frames reach the canvas (makeDrawer)
  let timer = 0, lastTick = 0, frames = 0, held = false;
  let styleTimer = 0;
  const styles = []; // {name, path, button}

  window.emberdell = window.emberdell || {};
  window.emberdell.framesDrawn = () => frames;
  // The module's memory, for bench/run_web's long run.
  window.emberdell.memoryBytes = () => (M ? M.HEAPU8.buffer.byteLength : 0);
  // For the tests: the pacing stops and frames are drawn at once until Count
  // have been (while the page is seen); then what the canvas shows, top row
  // first, as red, green, blue, alpha bytes.
  window.emberdell.holdAt = (count) => {
    held = true;
    clearTimeout(timer);
    timer = 0;
    while (frames < count && M && call('EdFrameWanted')) frame();
    return frames;
  };
  window.emberdell.canvasPixels = () => drawer.pixels();

  function loadSettings() {
    try {
      return Object.assign({}, Defaults, JSON.parse(localStorage.getItem(Store) || '{}'));
    } catch (e) {
      return Object.assign({}, Defaults);
    }
  }
  // Only what the user changed is stored, so a later default still reaches them.
  function changeSetting(key, value) {
    settings[key] = value;
    try {
      const stored = JSON.parse(localStorage.getItem(Store) || '{}');
      stored[key] = value;
      localStorage.setItem(Store, JSON.stringify(stored));
    } catch (e) {
      // Storage may be off (private windows): the setting lasts this visit.
    }
  }

  function say(text) {
    $('message').textContent = text;
  }

  const text = (pointer) => M.UTF8ToString(pointer);
  const call = (name, ...args) =>
    M.ccall(name, 'number', args.map((a) => (typeof a === 'string' ? 'string' : 'number')), args);

  // --- the fire --------------------------------------------------------------
  function areaSize() {
    const box = canvas.getBoundingClientRect();
    return [Math.max(16, Math.round(box.width)), Math.max(16, Math.round(box.height))];
  }

  function startFire() {
    const [width, height] = areaSize();
    canvas.width = width;
    canvas.height = height;
    call('EdFireDrawIndexed', drawer.indexed ? 1 : 0);
    if (!call('EdFireStart', width, height, (Math.random() * 4294967296) >>> 0)) {
      say('There is not enough memory for a fire this size.');
      return;
    }
    call('EdSetPictureHeight', settings.pictureHeight);
    drawer.start(width, height);
    schedule();
  }

  function frame() {
    timer = 0;
    drawer.frame(call('EdFireFrame'));
    frames++;
    schedule();
  }

  // --- drawing -------------------------------------------------------------------
  // ?draw=webgl2 sends the 8-bit image and its colour table to the GPU, which
  // looks every pixel's colour up; otherwise (and where WebGL2 is missing)
  // the module expands the colours and the changed rectangles of its RGBA
  // picture are copied to a 2D canvas. Each tells what it is in
  // window.emberdell.drawer.
  function makeDrawer(wanted) {
    if (wanted === 'webgl2') {
      const gl = webglDrawer();
      if (gl) return gl;
      // A canvas that gave a WebGL context gives no other: the page goes on with a fresh one.
      const fresh = canvas.cloneNode(false);
      canvas.replaceWith(fresh);
      canvas = fresh;
      const flat = canvasDrawer();
      flat.note = 'WebGL2 is not available here: drawing in 2d';
      return flat;
    }
    return canvasDrawer();
  }

  function canvasDrawer() {
    const context = canvas.getContext('2d', { alpha: false });
    let image = null; // ImageData over the module's RGBA picture
    return {
      name: '2d',
      indexed: false,
      start() {
        image = null;
      },
      frame(count) {
        if (count <= 0) return;
        if (!image || image.data.buffer !== M.HEAPU8.buffer) {
          const at = call('EdFirePixels');
          image = new ImageData(new Uint8ClampedArray(M.HEAPU8.buffer, at, canvas.width * canvas.height * 4),
            canvas.width, canvas.height);
        }
        const rects = new Int32Array(M.HEAPU8.buffer, call('EdFireRects'), count * 4);
        for (let i = 0; i < count; i++)
          context.putImageData(image, 0, 0, rects[4 * i], rects[4 * i + 1], rects[4 * i + 2], rects[4 * i + 3]);
      },
      pixels() {
        return context.getImageData(0, 0, canvas.width, canvas.height).data;
      },
    };
  }

  // One triangle over the canvas; each pixel's index picks its colour. The
  // image's top row is the canvas's top, where the framebuffer's y is highest.
  const VertexShader = `#version 300 es
void main() {
  vec2 corner = vec2(float((gl_VertexID & 1) << 2), float((gl_VertexID & 2) << 1));
  gl_Position = vec4(corner - 1.0, 0.0, 1.0);
}`;
  const FragmentShader = `#version 300 es
precision highp float;
uniform highp usampler2D image;
uniform highp sampler2D colors;
out vec4 color;
void main() {
  ivec2 size = textureSize(image, 0);
  ivec2 at = ivec2(gl_FragCoord.xy);
  uint index = texelFetch(image, ivec2(at.x, size.y - 1 - at.y), 0).r;
  color = texelFetch(colors, ivec2(int(index), 0), 0);
}`;

  function webglDrawer() {
    const gl = canvas.getContext('webgl2', { alpha: false, antialias: false, depth: false, stencil: false,
      premultipliedAlpha: false, preserveDrawingBuffer: true });
    if (!gl) return null;
    let image = null, colors = null, width = 0, height = 0, whole = true;
    function setUp() {
      const shader = (type, source) => {
        const s = gl.createShader(type);
        gl.shaderSource(s, source);
        gl.compileShader(s);
        return s;
      };
      const program = gl.createProgram();
      gl.attachShader(program, shader(gl.VERTEX_SHADER, VertexShader));
      gl.attachShader(program, shader(gl.FRAGMENT_SHADER, FragmentShader));
      gl.linkProgram(program);
      if (!gl.getProgramParameter(program, gl.LINK_STATUS)) return false;
      gl.useProgram(program);
      gl.uniform1i(gl.getUniformLocation(program, 'image'), 0);
      gl.uniform1i(gl.getUniformLocation(program, 'colors'), 1);
      gl.bindVertexArray(gl.createVertexArray());
      // The module's rows are padded to four bytes; a rectangle is read in place.
      gl.pixelStorei(gl.UNPACK_ALIGNMENT, 1);
      colors = texture(1, gl.RGBA8, 256, 1);
      image = null;
      return true;
    }
    function texture(unit, format, w, h) {
      const t = gl.createTexture();
      gl.activeTexture(gl.TEXTURE0 + unit);
      gl.bindTexture(gl.TEXTURE_2D, t);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.NEAREST);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.NEAREST);
      gl.texStorage2D(gl.TEXTURE_2D, 1, format, w, h);
      return t;
    }
    // The canvas keeps what it showed, so only where the image changed is
    // looked up again, unless the colours changed too.
    function draw(rects) {
      gl.viewport(0, 0, width, height);
      if (!rects) {
        gl.disable(gl.SCISSOR_TEST);
        gl.drawArrays(gl.TRIANGLES, 0, 3);
        return;
      }
      gl.enable(gl.SCISSOR_TEST);
      for (let i = 0; i < rects.length; i += 4) {
        gl.scissor(rects[i], height - rects[i + 1] - rects[i + 3], rects[i + 2], rects[i + 3]);
        gl.drawArrays(gl.TRIANGLES, 0, 3);
      }
    }
    if (!setUp()) return null;
    canvas.addEventListener('webglcontextlost', (event) => event.preventDefault());
    canvas.addEventListener('webglcontextrestored', () => {
      if (setUp() && width) drawer.start(width, height);
    });
    let renderer = gl.getParameter(gl.RENDERER);
    const details = gl.getExtension('WEBGL_debug_renderer_info');
    if (details) renderer = gl.getParameter(details.UNMASKED_RENDERER_WEBGL);
    return {
      name: 'webgl2',
      indexed: true,
      renderer,
      start(w, h) {
        if (gl.isContextLost()) return;
        width = w;
        height = h;
        if (image) gl.deleteTexture(image);
        image = texture(0, gl.R8UI, w, h);
        whole = true;
      },
      frame(count) {
        const newColors = call('EdFireColorsChanged');
        if (gl.isContextLost() || !image || (count <= 0 && !newColors && !whole)) return;
        const at = call('EdFireIndexPixels'), stride = call('EdFireIndexStride');
        if (!at) return;
        const heap = M.HEAPU8;
        gl.pixelStorei(gl.UNPACK_ROW_LENGTH, stride);
        gl.activeTexture(gl.TEXTURE0);
        const rects = whole ? null : new Int32Array(heap.buffer, call('EdFireRects'), count * 4);
        if (whole) {
          gl.texSubImage2D(gl.TEXTURE_2D, 0, 0, 0, width, height, gl.RED_INTEGER, gl.UNSIGNED_BYTE, heap, at);
        } else {
          for (let i = 0; i < count; i++) {
            const [x, y, w, h] = rects.subarray(4 * i, 4 * i + 4);
            gl.texSubImage2D(gl.TEXTURE_2D, 0, x, y, w, h, gl.RED_INTEGER, gl.UNSIGNED_BYTE, heap, at + y * stride + x);
          }
        }
        const everything = newColors || whole;
        if (everything) {
          gl.activeTexture(gl.TEXTURE1);
          gl.pixelStorei(gl.UNPACK_ROW_LENGTH, 0);
          gl.texSubImage2D(gl.TEXTURE_2D, 0, 0, 0, 256, 1, gl.RGBA, gl.UNSIGNED_BYTE, heap, call('EdFireColors'));
        }
        whole = false;
        draw(everything ? null : rects);
      },
      pixels() {
        const rows = new Uint8Array(width * height * 4), flipped = new Uint8Array(rows.length);
        gl.readPixels(0, 0, width, height, gl.RGBA, gl.UNSIGNED_BYTE, rows);
        for (let y = 0; y < height; y++)
          flipped.set(rows.subarray((height - 1 - y) * width * 4, (height - y) * width * 4), y * width * 4);
        return flipped;
      },
    };
  }

  // The pace is the chosen speed, as the screensaver's frame timer keeps it:
  // a frame once 1000 div FPS ms have passed since the last one. Nobody
  // seeing the page, nothing is scheduled at all.
  function schedule() {
    if (timer || held || !M || !call('EdFrameWanted')) return;
    const period = Math.floor(1000 / settings.fps);
    const now = performance.now();
    const wait = Math.max(0, Math.min(period, lastTick + period - now));
    timer = setTimeout(() => {
      lastTick = performance.now();
      frame();
    }, wait);
  }

  function shown() {
    call('EdPageShown', document.visibilityState === 'visible' ? 1 : 0);
    if (!call('EdFrameWanted') && timer) {
      clearTimeout(timer);
      timer = 0;
    }
    schedule();
  }

  // --- pictures ----------------------------------------------------------------
  const isJpeg = (b) => b.length > 3 && b[0] === 0xff && b[1] === 0xd8 && b[2] === 0xff;
  const isPng = (b) => b.length > 8 && b[0] === 0x89 && b[1] === 0x50 && b[2] === 0x4e && b[3] === 0x47;

  function pictureSize(url) {
    return new Promise((resolve, reject) => {
      const probe = new Image();
      probe.onload = () => resolve([probe.naturalWidth, probe.naturalHeight]);
      probe.onerror = () => reject(new Error('undecodable'));
      probe.src = url;
    });
  }

  async function usePicture(file) {
    const head = new Uint8Array(await file.slice(0, 16).arrayBuffer());
    if (!isJpeg(head) && !isPng(head)) {
      say(`${file.name} is not a JPEG or PNG picture; the fire goes on.`);
      return;
    }
    const url = URL.createObjectURL(file);
    try {
      // The size first: a picture the screensaver refuses is never decoded.
      const [width, height] = await pictureSize(url);
      if (!call('EdPictureAccepted', width, height)) {
        say(`${file.name} is ${width} × ${height} pixels: larger than Emberdell takes (20000 pixels a side, ` +
          '100 million pixels in all). The fire goes on.');
        return;
      }
      // Turned as its EXIF orientation says, as the screensaver turns a JPEG.
      const bitmap = await createImageBitmap(file, { imageOrientation: 'from-image' });
      const scratch = document.createElement('canvas');
      scratch.width = bitmap.width;
      scratch.height = bitmap.height;
      const scratchContext = scratch.getContext('2d', { willReadFrequently: true });
      scratchContext.drawImage(bitmap, 0, 0);
      const rgba = scratchContext.getImageData(0, 0, bitmap.width, bitmap.height).data;
      const at = call('EdPictureBuffer', rgba.length);
      M.HEAPU8.set(rgba, at);
      if (!call('EdUsePicture', bitmap.width, bitmap.height)) throw new Error('refused');
      bitmap.close();
      say(`Burning ${file.name}.`);
      startFire();
    } catch (e) {
      say(`${file.name} could not be read as a picture; the fire goes on.`);
    } finally {
      URL.revokeObjectURL(url);
    }
  }

  // --- styles ------------------------------------------------------------------
  // A strip of the style's colours over temperature, for choosing.
  function stylePicture(path) {
    const strip = document.createElement('canvas');
    strip.width = 64;
    strip.height = 1;
    const at = call('EdReadStyle', path);
    if (!at) return strip;
    const record = M.HEAPU8.slice(at, at + 804);
    const stripContext = strip.getContext('2d');
    const row = stripContext.createImageData(64, 1);
    for (let x = 0; x < 64; x++) {
      const t = x * 4 + 3;
      row.data.set([255 - record[36 + t], 255 - record[292 + t], 255 - record[548 + t], 255], x * 4);
    }
    stripContext.putImageData(row, 0, 0);
    return strip;
  }

  function showStyle(path) {
    const name = path.slice(StylesFolder.length, -4);
    let entry = styles.find((s) => s.path === path);
    if (!entry) {
      const item = document.createElement('li');
      const button = document.createElement('button');
      button.type = 'button';
      button.setAttribute('aria-pressed', 'false');
      const label = document.createElement('span');
      label.className = 'name';
      label.textContent = name; // a name is text, never markup
      button.append(stylePicture(path), label);
      button.addEventListener('click', () => chooseStyle(entry));
      item.append(button);
      $('styles').append(item);
      entry = { name, path, button };
      styles.push(entry);
    } else {
      entry.button.replaceChild(stylePicture(path), entry.button.firstChild);
    }
    return entry;
  }

  function chooseStyle(entry) {
    if (!call('EdChooseStyle', entry.path, 1)) return;
    for (const s of styles) s.button.setAttribute('aria-pressed', String(s === entry));
  }

  function addStyle(name, bytes) {
    // The core reads what the file holds; one it cannot read is not added.
    const path = StylesFolder + name;
    const trial = '/incoming.wyk';
    M.FS.writeFile(trial, bytes);
    const readable = call('EdReadStyle', trial) !== 0;
    M.FS.unlink(trial);
    if (!readable) {
      say(`${name} is damaged: a flame style file holds 804 bytes. The fire goes on.`);
      return null;
    }
    M.FS.writeFile(path, bytes);
    return showStyle(path);
  }

  async function addStyleFiles(files) {
    for (const file of files) {
      const entry = addStyle(file.name, new Uint8Array(await file.arrayBuffer()));
      if (entry) {
        chooseStyle(entry);
        say(`Added the style ${entry.name}.`);
      }
    }
  }

  function restartStyleChanges() {
    clearInterval(styleTimer);
    styleTimer = 0;
    if (settings.changingDelay > 0)
      styleTimer = setInterval(() => {
        call('EdChangeStyle', StylesFolder);
        for (const s of styles) s.button.setAttribute('aria-pressed', 'false');
      }, settings.changingDelay * 1000);
  }

  async function loadDeliveredStyles() {
    M.FS.mkdirTree(StylesFolder);
    for (const name of ['(Default) Wood.wyk', 'Gas Flame.wyk', 'Windy Night.wyk']) {
      try {
        const response = await fetch('styles/' + encodeURIComponent(name));
        if (response.ok) addStyle(name, new Uint8Array(await response.arrayBuffer()));
      } catch (e) {
        // Offline without the file: the fire has its built-in style.
      }
    }
  }

  // --- screenshots -------------------------------------------------------------
  function screenshot() {
    let number = 0;
    try {
      number = Number(localStorage.getItem(ShotCounter) || 0);
    } catch (e) {}
    number = (Number.isFinite(number) ? number : 0) + 1;
    try {
      localStorage.setItem(ShotCounter, String(number));
    } catch (e) {}
    const name = text(call('EdScreenshotName', number)) + '.png';
    canvas.toBlob((blob) => blob && download(blob, name), 'image/png');
  }

  function download(blob, name) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  }

  // --- a video of the fire: the canvas recorded as it burns ------------------------
  const VideoSeconds = 10;
  let recorder = null;

  function makeVideo() {
    if (recorder) return;
    const type = ['video/webm;codecs=vp9', 'video/webm;codecs=vp8', 'video/webm'].find(
      (t) => window.MediaRecorder && MediaRecorder.isTypeSupported(t));
    if (!type || !canvas.captureStream) {
      say('This browser cannot record the canvas as a video.');
      return;
    }
    const stream = canvas.captureStream(settings.fps);
    const chunks = [];
    recorder = new MediaRecorder(stream, { mimeType: type });
    recorder.ondataavailable = (event) => event.data.size && chunks.push(event.data);
    recorder.onstop = () => {
      stream.getTracks().forEach((track) => track.stop());
      recorder = null;
      $('video').disabled = false;
      download(new Blob(chunks, { type: 'video/webm' }), 'Emberdell.webm');
      say('The video is in your downloads as Emberdell.webm.');
    };
    recorder.start(1000);
    $('video').disabled = true;
    say(`Recording ${VideoSeconds} seconds of the fire…`);
    setTimeout(() => recorder && recorder.stop(), VideoSeconds * 1000);
  }

  // --- sound: the fire recording and the chimes, off until the user turns them on ---
  let audio = null; // {context, fire, chimeTimer}
  const FireVolume = 100, ChimesVolume = 100;

  function startSound() {
    const context = new AudioContext();
    const bytes = call('EdFireRecordingBytes'), at = call('EdFireRecording');
    const recording = M.HEAPU8.subarray(at, at + bytes);
    const frames = bytes / 2;
    const buffer = context.createBuffer(2, frames, call('EdFireRecordingRate'));
    const left = buffer.getChannelData(0), right = buffer.getChannelData(1);
    for (let i = 0; i < frames; i++) {
      left[i] = (recording[2 * i] - 128) / 128;
      right[i] = (recording[2 * i + 1] - 128) / 128;
    }
    const fire = context.createBufferSource();
    fire.buffer = buffer;
    fire.loop = true;
    // The desktop's playback rate: slower than recorded, deeper.
    fire.playbackRate.value = call('EdFirePlaybackRate') / call('EdFireRecordingRate');
    const gain = context.createGain();
    // The player's attenuation is in hundredths of a decibel.
    gain.gain.value = Math.pow(10, call('EdVolumeToAttenuation', FireVolume) / 2000);
    fire.connect(gain).connect(context.destination);
    fire.start();
    audio = { context, fire, chimeTimer: 0 };
    nextChime();
  }

  // A struck bar: the fundamental and its fourth partial, dying away fast.
  function chime(note, velocity) {
    const context = audio.context, now = context.currentTime;
    const frequency = 440 * Math.pow(2, (note - 69) / 12);
    const level = context.createGain();
    level.gain.setValueAtTime(0.0001, now);
    level.gain.exponentialRampToValueAtTime(0.25 * (velocity / 127) + 0.0001, now + 0.005);
    level.gain.exponentialRampToValueAtTime(0.0001, now + 1.2);
    level.connect(context.destination);
    for (const [ratio, share] of [[1, 1], [3.93, 0.25]]) {
      const tone = context.createOscillator();
      const part = context.createGain();
      tone.frequency.value = frequency * ratio;
      part.gain.value = share;
      tone.connect(part).connect(level);
      tone.start(now);
      tone.stop(now + 1.3);
    }
  }

  // The same moments and notes as the desktop's chimes, from the core's generator.
  function nextChime() {
    audio.chimeTimer = setTimeout(() => {
      if (!audio) return;
      chime(call('EdChimeNote'), call('EdChimeVelocity', ChimesVolume));
      nextChime();
    }, call('EdChimeDelay'));
  }

  function toggleSound() {
    if (audio) {
      clearTimeout(audio.chimeTimer);
      audio.context.close();
      audio = null;
    } else {
      try {
        startSound();
      } catch (e) {
        say('This browser would not play sound.');
        audio = null;
      }
    }
    $('sound').textContent = audio ? 'Sound: on' : 'Sound: off';
    $('sound').setAttribute('aria-pressed', String(!!audio));
  }

  // --- full screen, with the run's exit rules -----------------------------------
  const Msg = { KeyDown: 0x100, MouseMove: 0x200, LButtonDown: 0x201, RButtonDown: 0x204, MButtonDown: 0x207 };
  let run = null; // {start: [x, y], exiting}

  function virtualKey(event) {
    if (event.key && event.key.length === 1) return event.key.toUpperCase().charCodeAt(0);
    return event.keyCode || 0;
  }

  function runEvent(message, event, key) {
    if (!run) return;
    if (!run.start) run.start = [Math.round(event.screenX || 0), Math.round(event.screenY || 0)];
    const decision = call('EdExitRule', message, key || 0, event.repeat ? 1 : 0, Math.round(event.screenX || 0),
      Math.round(event.screenY || 0), run.start[0], run.start[1], 0, run.exiting ? 1 : 0);
    if (decision === 1) screenshot();
    if (decision !== 2) return;
    event.preventDefault();
    run.exiting = true;
    const fade = call('EdExitFadeMs', 1, 700);
    if (fade > 0) call('EdFadeOut', fade);
    setTimeout(endRun, fade);
  }

  function endRun() {
    run = null;
    document.body.classList.remove('running');
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    startFire(); // the fade-out left the fire cold
  }

  async function fullScreen() {
    try {
      await document.documentElement.requestFullscreen();
    } catch (e) {
      say('This browser would not go full screen.');
      return;
    }
    document.body.classList.add('running');
    // The start is where the pointer was last seen, or where the run first sees it.
    run = { start: lastPointer, exiting: false };
  }

  document.addEventListener('fullscreenchange', () => {
    if (!document.fullscreenElement && run) {
      run = null;
      document.body.classList.remove('running');
    }
    setTimeout(startFire, 0);
  });
  document.addEventListener('keydown', (event) => {
    if (run) runEvent(Msg.KeyDown, event, virtualKey(event));
    else if ((event.key === 'f' || event.key === 'F') && !(event.target instanceof Element && event.target.closest('input, select')))
      screenshot();
  });
  let lastPointer = null;
  document.addEventListener('mousemove', (event) => {
    if (run && run.start) runEvent(Msg.MouseMove, event);
    else if (run) run.start = [Math.round(event.screenX), Math.round(event.screenY)];
    else lastPointer = [Math.round(event.screenX), Math.round(event.screenY)];
  });
  document.addEventListener('mousedown', (event) => {
    if (run) runEvent([Msg.LButtonDown, Msg.MButtonDown, Msg.RButtonDown][event.button] || Msg.LButtonDown, event);
  });

  // --- controls -------------------------------------------------------------------
  function bindControls() {
    const speed = $('speed');
    speed.max = String(call('EdSpeedCount') - 1);
    speed.value = String(call('EdSpeedPosition', settings.fps));
    const showSpeed = () => ($('speed-caption').textContent = text(call('EdSpeedCaption', Number(speed.value))));
    showSpeed();
    speed.addEventListener('input', () => {
      changeSetting('fps', call('EdSpeedFps', Number(speed.value)));
      showSpeed();
    });
    const height = $('height');
    height.min = String(call('EdHeightPositionMin'));
    height.max = String(call('EdHeightPositionMax'));
    height.value = String(call('EdHeightPosition', settings.pictureHeight));
    const showHeight = () => ($('height-caption').textContent = text(call('EdHeightCaption', settings.pictureHeight)));
    showHeight();
    height.addEventListener('input', () => {
      changeSetting('pictureHeight', call('EdHeightPercent', Number(height.value)));
      call('EdSetPictureHeight', settings.pictureHeight);
      showHeight();
    });
    const delay = $('changing-delay');
    if (![...delay.options].some((o) => Number(o.value) === settings.changingDelay)) {
      const option = new Option(`${settings.changingDelay} seconds`, String(settings.changingDelay));
      delay.add(option);
    }
    delay.value = String(settings.changingDelay);
    delay.addEventListener('change', () => {
      changeSetting('changingDelay', Number(delay.value));
      restartStyleChanges();
    });
    $('picture-file').addEventListener('change', (e) => {
      if (e.target.files[0]) usePicture(e.target.files[0]);
      e.target.value = '';
    });
    $('style-file').addEventListener('change', (e) => {
      addStyleFiles([...e.target.files]);
      e.target.value = '';
    });
    $('desktop').addEventListener('click', () => {
      call('EdUsePicture', 0, 0);
      say('Burning the drawn desktop.');
      startFire();
    });
    $('full-screen').addEventListener('click', fullScreen);
    $('screenshot').addEventListener('click', screenshot);
    $('video').addEventListener('click', makeVideo);
    $('sound').addEventListener('click', toggleSound);
    $('hide-panel').addEventListener('click', () => {
      const collapsed = $('panel').classList.toggle('collapsed');
      $('hide-panel').textContent = collapsed ? 'Show' : 'Hide';
      $('hide-panel').setAttribute('aria-expanded', String(!collapsed));
    });
    // Dropped files: pictures burn, .wyk files become styles.
    window.addEventListener('dragover', (e) => {
      e.preventDefault();
      document.body.classList.add('dragging');
    });
    window.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
    window.addEventListener('drop', (e) => {
      e.preventDefault();
      document.body.classList.remove('dragging');
      const files = [...(e.dataTransfer ? e.dataTransfer.files : [])];
      const wyk = files.filter((f) => /\.wyk$/i.test(f.name));
      addStyleFiles(wyk);
      const picture = files.find((f) => !/\.wyk$/i.test(f.name));
      if (picture) usePicture(picture);
    });
    window.emberdell.dropFiles = (files) => {
      addStyleFiles(files.filter((f) => /\.wyk$/i.test(f.name)));
      const picture = files.find((f) => !/\.wyk$/i.test(f.name));
      return picture ? usePicture(picture) : Promise.resolve();
    };
    let resizing = 0;
    window.addEventListener('resize', () => {
      clearTimeout(resizing);
      resizing = setTimeout(() => {
        const [width, height] = areaSize();
        if (width !== canvas.width || height !== canvas.height) startFire();
      }, 150);
    });
    document.addEventListener('visibilitychange', shown);
  }

  // --- start ------------------------------------------------------------------------
  function loadModule() {
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = self.emberdellModuleName + '.js';
      script.onload = () => EmberdellModule({ print() {}, printErr() {} }).then(resolve, reject);
      script.onerror = () => reject(new Error('the module did not load'));
      document.head.append(script);
    });
  }

  loadModule().then(
    async (module) => {
      M = module;
      M.FS.mkdirTree(StylesFolder);
      drawer = makeDrawer(new URLSearchParams(location.search).get('draw'));
      window.emberdell.drawer = { name: drawer.name, renderer: drawer.renderer || '', note: drawer.note || '' };
      if (drawer.note) say(drawer.note + '.');
      bindControls();
      call('EdPageShown', document.visibilityState === 'visible' ? 1 : 0);
      startFire(); // burns at once, in the built-in style, while the style files come
      await loadDeliveredStyles();
      restartStyleChanges();
      window.emberdell.ready = true;
      // Offline and installable: the service worker keeps the page's files.
      if ('serviceWorker' in navigator) navigator.serviceWorker.register('sw.js').catch(() => {});
    },
    () => say('The fire could not start: this browser did not load its WebAssembly.'),
  );
})();
