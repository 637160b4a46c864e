// The page server's HTTP behaviour as a client sees it: static files, errors, limits.
'use strict';

const assert = require('node:assert/strict');
const { after, before, describe, test } = require('node:test');
const { Server } = require('./lib/server');
const { curl } = require('./lib/curl');

// A page with a script error on its third line, to check the 500 page.
const server = new Server();

before(async () => {
  await server.start({ 'broken.asp': '<% Option Explicit %>\r\n<p>before</p>\r\n<% undefinedVariable = 1 %>\r\n' });
});

after(async () => {
  await server.stop();
});

describe('page server over HTTP', () => {
  test('static files carry their Content-Type', async () => {
    server.requireServing();
    const css = await curl(['-D', '-', '-o', '/dev/null', `${server.url}style.css`]);
    assert.match(css.body, /^HTTP\/1\.1 200/);
    assert.match(css.body, /content-type: text\/css/i);
  });

  test('the folder serves its default page', async () => {
    server.requireServing();
    const home = await curl([server.url]);
    assert.equal(home.status, 200);
    assert.match(home.body, /<title>Start here/);
  });

  test('missing files and escapes from the root are refused', async () => {
    server.requireServing();
    const cases = [
      ['missing.asp', [404]],
      ['%2e%2e/%2e%2e/etc/passwd', [400, 403, 404]],
      ['..%5c..%5cwindows%5cwin.ini', [400, 403, 404]],
      ['default.asp::$DATA', [400, 403, 404]],
      ['default.asp.', [400, 403, 404]],
    ];
    for (const [target, allowed] of cases) {
      const result = await curl(['--path-as-is', '-o', '/dev/null', `${server.url}${target}`]);
      assert.ok(allowed.includes(result.status), `${target}: ${result.status}`);
    }
  });

  test('a script error gives a 500 page naming file and line, and the server goes on', async () => {
    server.requireServing();
    const result = await curl([`${server.url}broken.asp`]);
    assert.equal(result.status, 500);
    assert.match(result.body, /broken\.asp/);
    assert.match(result.body, /line 3/i);
    const home = await curl([server.url]);
    assert.equal(home.status, 200);
  });

  test('chunked request bodies get 501', async () => {
    server.requireServing();
    const result = await curl(['-o', '/dev/null', '-H', 'Transfer-Encoding: chunked', '--data-binary', 'x=1',
      `${server.url}upload-result.asp`]);
    assert.equal(result.status, 501);
  });
});
