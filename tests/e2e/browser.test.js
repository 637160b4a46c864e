// A real browser fills the example form and uploads real files through the page server.
'use strict';

const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { after, before, describe, test } = require('node:test');
const { Server, exampleLimits } = require('./lib/server');
const { launchBrowser } = require('./lib/browser');
const { everyByte, elementText, listFiles, makeFile, pseudoRandomFile, sha256, sha256File } = require('./lib/files');

const server = new Server();
let browser = null;
let browserProblem = '';

before(async () => {
  await server.start();
  if (!server.ok) return;
  try {
    browser = await launchBrowser();
  } catch (error) {
    browserProblem = `the browser could not start: ${error.message}`;
  }
});

after(async () => {
  if (browser) await browser.close();
  await server.stop();
});

// Throws, with why, unless the server and the browser both started.
function requireBrowser() {
  server.requireServing();
  if (!browser) throw new Error(browserProblem || 'the browser did not start');
}

// Reports every upload progress event of the page's XMLHttpRequest on the console.
const progressProbe = `
  (() => {
    const send = XMLHttpRequest.prototype.send;
    XMLHttpRequest.prototype.send = function (body) {
      this.upload.addEventListener('progress', (e) => console.log('upload-progress ' + e.loaded + ' ' + e.total));
      return send.call(this, body);
    };
  })();`;

// Fills and submits the form, with upload in the multiple input and attachment, if
// given, in the second one; resolves with the result page's HTML and the progress seen.
async function uploadWithForm(context, upload, fields, attachment = null) {
  const page = await context.newPage();
  const progress = [];
  page.on('console', (message) => {
    const match = /^upload-progress (\d+) (\d+)$/.exec(message.text());
    if (match) progress.push([Number(match[1]), Number(match[2])]);
  });
  try {
    await page.goto(`${server.url}upload-form.asp`);
    await page.addScriptTag({ content: progressProbe }).catch(() => {});
    await page.fill('#title', fields.title);
    await page.fill('#description', fields.description);
    await page.selectOption('#category', fields.category);
    await page.setInputFiles('#file', upload.file);
    if (attachment) await page.setInputFiles('#attachment', attachment.file);
    await page.click('#send');
    await page.waitForSelector('#saved, #no-file, #save-error, #not-saved', { timeout: 240000 });
    return { html: await page.content(), progress };
  } finally {
    await page.close();
  }
}

function savedFile(html) {
  const newName = elementText(html, 'newname');
  assert.ok(newName, `the result page names no saved file:\n${html.slice(0, 3000)}`);
  return path.join(server.uploadsDir(), newName);
}

const fields = {
  title: 'Quarterly <report> & "notes"',
  description: 'Line one\nLine two: caf\u00e9',
  category: 'picture',
};

function checkFields(html) {
  assert.equal(elementText(html, 'field-title'), fields.title);
  assert.equal(elementText(html, 'field-category'), fields.category);
  assert.ok(elementText(html, 'field-description').startsWith('Line one'));
}

describe('browser upload through the example form', () => {
  const cases = [
    { label: 'text file', make: () => makeFile('notes.txt', Buffer.from('Hello from a browser.\r\nSecond line.\n')) },
    { label: 'every byte value', make: () => makeFile('bytes.bin', everyByte(256 * 64)) },
    { label: '20 MB file', make: () => pseudoRandomFile('big-20mb.dat', 20 * 1024 * 1024, 'browser') },
  ];
  for (const { label, make } of cases) {
    test(label, { timeout: 300000 }, async () => {
      requireBrowser();
      const upload = make();
      const { html, progress } = await uploadWithForm(browser.context, upload, fields);
      checkFields(html);
      assert.equal(elementText(html, 'filename'), upload.name);
      assert.equal(elementText(html, 'extension'), path.extname(upload.name).slice(1));
      assert.equal(elementText(html, 'basename'), path.basename(upload.name, path.extname(upload.name)));
      assert.ok(elementText(html, 'content-type'), 'a MIME type is shown');
      assert.equal(Number(elementText(html, 'size')), upload.size);
      const stored = savedFile(html);
      assert.equal(listFiles(path.dirname(stored)).find((f) => f.file === stored)?.sha, upload.sha);
      if (upload.size > 1024 * 1024) {
        assert.ok(progress.length > 0, 'the page saw upload progress events');
        const [loaded, total] = progress[progress.length - 1];
        assert.equal(loaded, total, 'the last progress event reports the whole body sent');
      }
    });
  }

  test('empty file is reported as no file and nothing is saved', async () => {
    requireBrowser();
    const before = listFiles(server.uploadsDir()).length;
    const { html } = await uploadWithForm(browser.context, makeFile('empty.txt', Buffer.alloc(0)), fields);
    checkFields(html);
    assert.match(html, /id="no-file"/);
    assert.equal(listFiles(server.uploadsDir()).length, before);
  });

  // The example pages are UTF-8 and set CodePage = 65001: a name and a title that the
  // server's ANSI code page lacks come back exactly, and the file is stored under its name.
  test('non-ASCII title and file name round trip', async () => {
    requireBrowser();
    const unicode = { ...fields, title: '\u00dcn\u00efc\u00f6d\u00e9 \u65e5\u672c\u8a9e' };
    const name = `Gr\u00fc\u00dfe \u65e5\u672c\u8a9e \u2713 ${process.pid}-${Date.now()}.txt`;
    const upload = makeFile(name, Buffer.from('Unicode name, caf\u00e9 inside.\n'));
    const { html } = await uploadWithForm(browser.context, upload, unicode);
    assert.equal(elementText(html, 'field-title'), unicode.title);
    assert.ok(elementText(html, 'field-description').endsWith('Line two: caf\u00e9'));
    assert.equal(elementText(html, 'filename'), name);
    assert.equal(elementText(html, 'extension'), 'txt');
    assert.equal(elementText(html, 'newname'), name);
    assert.equal(sha256File(path.join(server.uploadsDir(), name)), upload.sha, 'stored under its exact name');
  });

  test('three files through a multiple input and a second input: each saved, a shared name numbered', async () => {
    requireBrowser();
    // A name of its own for this run, so that the uploads folder holds no file of that name yet.
    const shared = `shared-${process.pid}-${Date.now()}.txt`;
    const first = { name: shared, mimeType: 'text/plain', buffer: Buffer.from('first, through the multiple input\n') };
    const second = { name: `other-${process.pid}.bin`, mimeType: 'application/octet-stream', buffer: everyByte(4096) };
    const third = { name: shared, mimeType: 'text/plain', buffer: Buffer.from('third, through the second input\n') };
    const page = await browser.context.newPage();
    let html;
    try {
      await page.goto(`${server.url}upload-form.asp`);
      await page.fill('#title', fields.title);
      await page.fill('#description', fields.description);
      await page.selectOption('#category', fields.category);
      await page.setInputFiles('#file', [first, second]);
      await page.setInputFiles('#attachment', third);
      await page.click('#send');
      await page.waitForSelector('#saved-2, #save-error-2, #not-saved-2, #save-error', { timeout: 120000 });
      html = await page.content();
    } finally {
      await page.close();
    }
    checkFields(html);
    const sent = [first, second, third];
    const numbered = shared.replace(/\.txt$/, '~1.txt');
    const names = [shared, second.name, numbered];
    sent.forEach((file, k) => {
      const n = k === 0 ? '' : `-${k}`;
      assert.equal(elementText(html, `filename${n}`), file.name);
      assert.equal(Number(elementText(html, `size${n}`)), file.buffer.length);
      assert.equal(elementText(html, `newname${n}`), names[k]);
      const stored = sha256File(path.join(server.uploadsDir(), names[k]));
      assert.equal(stored, sha256(file.buffer), `${names[k]} is saved intact`);
    });
  });

  // The example's own MaxFileBytes, one byte over, beside a small allowed file in the
  // other input: the large file is listed as not kept with its reason and reaches no
  // folder, and refusing it neither loses nor shifts the file after it.
  test('a file over MaxFileBytes is listed as not kept and not saved; the file beside it is saved intact',
    { timeout: 300000 }, async () => {
      requireBrowser();
      const limit = exampleLimits().MAX_FILE_BYTES;
      const big = pseudoRandomFile(`over-limit-${process.pid}.dat`, limit + 1, 'over the limit');
      const small = makeFile(`beside-${process.pid}.txt`, Buffer.from('kept beside a file over the limit\n'));
      const before = listFiles(server.uploadsDir()).map((f) => f.name);
      const { html } = await uploadWithForm(browser.context, big, fields, small);
      checkFields(html);
      assert.equal(elementText(html, 'rejected-filename-0'), big.name);
      assert.equal(elementText(html, 'rejected-field-0'), 'file');
      assert.equal(Number(elementText(html, 'rejected-size-0')), big.size);
      assert.equal(elementText(html, 'rejected-reason-0'), '1');
      assert.equal(elementText(html, 'rejected-reason-text-0'), 'The file is larger than MaxFileBytes allows.');
      assert.doesNotMatch(html, /id="rejected-1"/, 'only the large file is not kept');
      assert.equal(elementText(html, 'filename'), small.name, 'the kept file is the first listed');
      assert.doesNotMatch(html, /id="filename-1"/, 'the large file is not among the files');
      assert.equal(sha256File(savedFile(html)), small.sha, 'the file beside it is saved intact');
      const added = listFiles(server.uploadsDir()).map((f) => f.name).filter((name) => !before.includes(name));
      assert.deepEqual(added, [elementText(html, 'newname')], 'nothing of the large file is stored');
    });

  test('the form works without JavaScript', async () => {
    requireBrowser();
    const plain = await launchBrowser({ javaScriptEnabled: false });
    try {
      const upload = makeFile('no-script.txt', Buffer.from('posted by a plain form\n'));
      const { html } = await uploadWithForm(plain.context, upload, fields);
      checkFields(html);
      assert.equal(fs.readFileSync(savedFile(html), 'utf8'), 'posted by a plain form\n');
    } finally {
      await plain.close();
    }
  });

  test('start page and style sheet load', async () => {
    requireBrowser();
    const page = await browser.context.newPage();
    try {
      const response = await page.goto(server.url);
      assert.equal(response.status(), 200);
      assert.equal(await page.locator('a[href="upload-form.asp"]').count() > 0, true);
      assert.equal(await page.locator('a[href="upload-result.asp"]').count(), 0,
        'no link to the result page, which only redirects a visit to the form');
      const css = await page.request.get(`${server.url}style.css`);
      assert.match(css.headers()['content-type'], /^text\/css/);
    } finally {
      await page.close();
    }
  });
});
