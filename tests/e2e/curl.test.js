// curl uploads: many files, a 200 MB body, a body over the example's limit, a client that
// leaves halfway, 32 at once.
'use strict';

const assert = require('node:assert/strict');
const path = require('node:path');
const { setTimeout: sleep } = require('node:timers/promises');
const { after, before, describe, test } = require('node:test');
const { Server, exampleLimits, testPages } = require('./lib/server');
const { curl, postForm, spawn } = require('./lib/curl');
const { elementText, everyByte, listFiles, makeFile, pseudoRandomFile } = require('./lib/files');
const { exchange, parseResponses } = require('./lib/raw');

const server = new Server();

before(async () => {
  await server.start(testPages());
});

after(async () => {
  await server.stop();
});

function resultUrl() {
  return `${server.url}upload-result.asp`;
}

async function expectServing() {
  const home = await curl([server.url]);
  assert.equal(home.status, 200, `the server still answers: ${home.stderr}`);
  assert.match(home.body, /upload-form\.asp/);
}

describe('curl uploads', () => {
  test('several files, one request each, all intact', { timeout: 300000 }, async () => {
    server.requireServing();
    const uploads = [
      makeFile('one.txt', Buffer.from('first\n')),
      makeFile('two.bin', everyByte(100000)),
      makeFile('three.csv', Buffer.from('a,b\r\n1,2\r\n')),
      makeFile('FOUR.TXT', Buffer.from('an allowed extension in upper case')),
    ];
    for (const upload of uploads) {
      const result = await postForm(resultUrl(), { title: upload.name }, [['file', upload.file]]);
      assert.equal(result.status, 200, result.stderr);
      assert.equal(elementText(result.body, 'field-title'), upload.name);
      assert.equal(Number(elementText(result.body, 'size')), upload.size);
      const stored = path.join(server.uploadsDir(), elementText(result.body, 'newname'));
      const storedSha = listFiles(server.uploadsDir()).find((f) => f.file === stored)?.sha;
      assert.equal(storedSha, upload.sha);
      assert.equal(elementText(result.body, 'sha256'), storedSha, 'the page shows the stored file\'s SHA-256');
    }
  });

  // The allow list is the page's AllowedExtensions: such a file is not kept at all, and
  // the page lists it with the component's reason.
  test('the example keeps only the kinds of file on its allow list', async () => {
    server.requireServing();
    const refused = ['four', 'page.asp', 'shell.ASPX', 'web.config', 'photo.jpg.asp'];
    for (const name of refused) {
      const before = listFiles(server.uploadsDir()).map((f) => f.name).sort();
      const upload = makeFile(`refused-${refused.indexOf(name)}.bin`, Buffer.from('<% Response.Write 1 %>'));
      const result = await postForm(resultUrl(), {}, [['file', upload.file, name]]);
      assert.equal(result.status, 200, result.stderr);
      assert.equal(elementText(result.body, 'rejected-filename-0'), name);
      assert.equal(elementText(result.body, 'rejected-reason-0'), '5', `${name} was refused for its extension`);
      assert.equal(elementText(result.body, 'rejected-reason-text-0'), 'The file\'s extension is not in AllowedExtensions.');
      assert.match(result.body, /id="no-file"/, `${name}: no file kept`);
      assert.deepEqual(listFiles(server.uploadsDir()).map((f) => f.name).sort(), before, `${name}: nothing saved`);
    }
  });

  test('two files in one request: the first non-empty one is kept', async () => {
    server.requireServing();
    const empty = makeFile('skip-empty.txt', Buffer.alloc(0));
    const first = makeFile('first-of-two.txt', Buffer.from('kept\n'));
    const second = makeFile('second-of-two.txt', Buffer.from('ignored\n'));
    const result = await postForm(resultUrl(), {}, [['a', empty.file], ['b', first.file], ['c', second.file]]);
    assert.equal(result.status, 200, result.stderr);
    assert.equal(elementText(result.body, 'filename'), 'first-of-two.txt');
    assert.equal(elementText(result.body, 'newname'), 'first-of-two.txt');
  });

  // Exactly the example's MaxFileBytes: a file at the limit is kept (browser.test.js sends
  // one a byte over).
  test('200 MB file', { timeout: 600000 }, async (t) => {
    server.requireServing();
    const upload = pseudoRandomFile('big-200mb.dat', 200 * 1024 * 1024, 'curl');
    assert.equal(upload.size, exampleLimits().MAX_FILE_BYTES, 'the file is exactly the example\'s MaxFileBytes');
    const started = Date.now();
    const result = await postForm(resultUrl(), { title: 'big' }, [['file', upload.file]]);
    const seconds = (Date.now() - started) / 1000;
    t.diagnostic(`200 MB upload end to end: ${seconds.toFixed(1)} s`);
    assert.equal(result.status, 200, result.stderr);
    assert.equal(Number(elementText(result.body, 'size')), upload.size);
    assert.doesNotMatch(result.body, /id="rejected"/, 'nothing is left out');
    const stored = path.join(server.uploadsDir(), elementText(result.body, 'newname'));
    assert.equal(listFiles(server.uploadsDir()).find((f) => f.file === stored)?.sha, upload.sha);
  });

  // Refused on TotalBytes alone: the page answers 413 itself, and the host, which answers
  // Expect: 100-continue at a page's first BinaryRead, sends none, so no byte was asked for.
  test('a body over the example\'s MaxBodyBytes gets the page\'s 413 and is not read', async () => {
    server.requireServing();
    const before = listFiles(server.uploadsDir()).map((f) => f.name).sort();
    const head = 'POST /upload-result.asp HTTP/1.1\r\nHost: x\r\n' +
      'Content-Type: multipart/form-data; boundary=----x\r\n' +
      `Content-Length: ${exampleLimits().MAX_BODY_BYTES + 1}\r\nExpect: 100-continue\r\n\r\n`;
    const responses = parseResponses(await exchange(server.port, [{ send: head }]));
    assert.deepEqual(responses.map((r) => r.status), [413], 'a 413 and no 100 Continue');
    assert.match(responses[0].body, /id="too-large"/);
    assert.match(responses[0].body, /Nothing of it was read or stored/);
    assert.deepEqual(listFiles(server.uploadsDir()).map((f) => f.name).sort(), before, 'nothing saved');
    await expectServing();
  });

  test('200 MB body read and dropped by a page, without the component', { timeout: 600000 }, async (t) => {
    server.requireServing();
    const upload = pseudoRandomFile('big-200mb.dat', 200 * 1024 * 1024, 'curl');
    const started = Date.now();
    const result = await curl(['--data-binary', `@${upload.file}`, '-H', 'Content-Type: application/octet-stream',
      `${server.url}discard.asp`]);
    const seconds = (Date.now() - started) / 1000;
    t.diagnostic(`200 MB body through BinaryRead only: ${seconds.toFixed(1)} s`);
    assert.equal(result.status, 200, result.stderr);
    assert.equal(result.body, `read ${upload.size} of ${upload.size}`);
  });

  test('a client killed halfway leaves no file and the server goes on', { timeout: 120000 }, async () => {
    server.requireServing();
    const upload = pseudoRandomFile('abandoned.dat', 16 * 1024 * 1024, 'killed');
    const before = listFiles(server.uploadsDir()).map((f) => f.name).sort();
    // 2 MB/s: after about 3 s a fraction of the body has left, and curl is killed.
    const child = spawn('curl', ['-sS', '-o', '/dev/null', '--limit-rate', '2M', '-F', `file=@${upload.file}`, resultUrl()],
      { stdio: 'ignore' });
    const exited = new Promise((resolve) => child.once('exit', resolve));
    await sleep(3000);
    child.kill('SIGKILL');
    await exited;
    await sleep(2000);
    await expectServing();
    assert.deepEqual(listFiles(server.uploadsDir()).map((f) => f.name).sort(), before, 'nothing new was saved');
    assert.ok(server.alive(), 'the server process is still running');
  });

  test('32 concurrent uploads of one file name in mode 2 give 32 intact files', { timeout: 300000 }, async () => {
    server.requireServing();
    const uploads = [];
    for (let i = 0; i < 32; i++) {
      uploads.push(makeFile(`same-${i}.dat`, Buffer.concat([Buffer.from(`upload ${i}\n`), everyByte(50000 + i)])));
    }
    const results = await Promise.all(uploads.map((upload) =>
      postForm(resultUrl(), { title: 'concurrent' }, [['file', upload.file, 'same-name.dat']])));
    for (const result of results) assert.equal(result.status, 200, result.stderr);
    const names = results.map((result) => elementText(result.body, 'newname'));
    assert.equal(new Set(names).size, 32, `32 distinct names: ${names.join(' ')}`);
    const stored = listFiles(server.uploadsDir()).filter((f) => /^same-name(~\d+)?\.dat$/.test(f.name));
    assert.equal(stored.length, 32);
    assert.deepEqual(stored.map((f) => f.sha).sort(), uploads.map((u) => u.sha).sort());
  });
});
