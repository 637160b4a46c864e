// What a page's directive chooses: the code page of its output and its script language.
'use strict';

const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { after, before, describe, test } = require('node:test');
const { Server, testPages } = require('./lib/server');
const { curl, postForm } = require('./lib/curl');
const { exchange, parseResponses } = require('./lib/raw');

const server = new Server();

before(async () => {
  await server.start(testPages());
});

after(async () => {
  await server.stop();
});

// The body's exact bytes: curl's text would hide a wrong encoding.
async function rawBody(page) {
  const [response] = parseResponses(await exchange(server.port,
    [{ send: `GET /${page} HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n` }]));
  assert.equal(response.status, 200, response.body);
  return Buffer.from(response.body, 'latin1');
}

describe('code page of the output', () => {
  test('CodePage=65001: literal text and script strings arrive as UTF-8', async () => {
    server.requireServing();
    assert.deepEqual(await rawBody('codepage-utf8.asp'), Buffer.from('Grüße 日本語|Grüße 日本語|65001', 'utf8'));
  });

  test('the directive sets the code page, Response.CodePage changes it and refuses UTF-16', async () => {
    server.requireServing();
    const expected = Buffer.concat([Buffer.from('1252|Grüße|', 'latin1'), Buffer.from('Grüße|', 'utf8'),
      Buffer.from('refused 65001\n', 'latin1')]);
    assert.deepEqual(await rawBody('codepage-switch.asp'), expected);
  });

  test('a code page the system lacks is a translation error on the directive\'s line', async () => {
    server.requireServing();
    const result = await curl([`${server.url}codepage-invalid.asp`]);
    assert.equal(result.status, 500);
    assert.match(result.body, /\/codepage-invalid\.asp, line 2/);
    assert.match(result.body, /invalid code page 12345/);
  });
});

describe('JScript pages', () => {
  test('create the component, read a field, and end with Response.End', async () => {
    server.requireServing();
    const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'kestrune-js-')), 'notes.txt');
    fs.writeFileSync(file, 'some notes\n');
    const result = await postForm(`${server.url}jscript-upload.asp`, { title: 'Holiday "pictures"' },
      [['file', file]]);
    assert.equal(result.status, 200);
    assert.equal(result.body, '\ntitle=Holiday "pictures";file=notes.txt;\n');
  });

  test('a runtime error names the page line and the engine\'s message', async () => {
    server.requireServing();
    const result = await curl([`${server.url}jscript-error.asp`]);
    assert.equal(result.status, 500);
    assert.match(result.body, /\/jscript-error\.asp, line 5/);
    assert.match(result.body, /undefinedThing/);
    assert.doesNotMatch(result.body, /<p>before<\/p>/, 'the page output is replaced');
  });
});
