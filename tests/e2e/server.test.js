// The page server's own behaviour: what Request, Response and Server give a page, and
// HTTP framing that curl and browsers do not show (100-continue, HTTP/1.0, one request
// per connection).
'use strict';

const assert = require('node:assert/strict');
const crypto = require('node:crypto');
const { after, before, describe, test } = require('node:test');
const { Server, testPages } = require('./lib/server');
const { curl } = require('./lib/curl');
const { exchange, parseResponses } = require('./lib/raw');

const maxRequestBytes = 1000000;
const server = new Server();

before(async () => {
  await server.start({ ...testPages(), 'secret.inc': 'not for browsers' }, ['--max-request-bytes', String(maxRequestBytes)]);
});

after(async () => {
  await server.stop();
});

function lines(text) {
  return Object.fromEntries(text.split('\n').filter(Boolean).map((line) => {
    const eq = line.indexOf('=');
    return [line.slice(0, eq), line.slice(eq + 1)];
  }));
}

function request(method, target, { headers = {}, body = '', version = '1.1' } = {}) {
  const head = [`${method} ${target} HTTP/${version}`, 'Host: 127.0.0.1', ...Object.entries(headers).map(([k, v]) => `${k}: ${v}`)];
  if (body.length > 0) head.push(`Content-Length: ${Buffer.byteLength(body, 'latin1')}`);
  return `${head.join('\r\n')}\r\n\r\n${body}`;
}

describe('what a page sees', () => {
  test('QueryString, ServerVariables, MapPath and the encoders', async () => {
    server.requireServing();
    const result = await curl(['-H', 'X-Test: hello', `${server.url}request-info.asp?a=1&b=x+y&a=2`]);
    assert.equal(result.status, 200);
    const seen = lines(result.body);
    const expected = {
      REQUEST_METHOD: 'GET', CONTENT_LENGTH: '0', QUERY_STRING: 'a=1&b=x+y&a=2', SCRIPT_NAME: '/request-info.asp',
      PATH_INFO: '/request-info.asp', SERVER_PORT: String(server.port), HTTP_X_TEST: 'hello',
      'q.a': '1, 2', 'q.a.empty': 'True', 'q.count': '2', 'q.all': 'a=1&b=x+y&a=2', 'item.b': 'x y',
      html: '&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;', url: 'a+b%26c%2Fd%C3%A9', buffer: 'True', connected: 'True',
    };
    for (const [name, value] of Object.entries(expected)) assert.equal(seen[name], value, name);
    assert.match(seen['mappath.uploads'], /^[A-Z]:\\.*\\uploads$/);
    assert.equal(seen['mappath.root'] + '\\uploads', seen['mappath.uploads']);
  });

  test('a POST shows its method, type and length', async () => {
    server.requireServing();
    const result = await curl(['--data-binary', 'x=1&y=2', `${server.url}request-info.asp`]);
    const seen = lines(result.body);
    assert.equal(seen.REQUEST_METHOD, 'POST');
    assert.equal(seen.CONTENT_TYPE, 'application/x-www-form-urlencoded');
    assert.equal(seen.CONTENT_LENGTH, '7');
  });
});

describe('Response members', () => {
  const cases = [
    ['status', 404, { 'content-type': 'text/plain; charset=utf-8', 'x-kestrune': 'yes' }, 'custom status'],
    ['redirect', 302, { location: 'default.asp?from=redirect' }, /Object Moved/],
    ['end', 200, { 'content-length': '10' }, 'before end'],
    ['flush', 200, { 'content-length': undefined, connection: 'close' }, 'first part;second part'],
    ['unbuffered', 200, { 'content-length': undefined, connection: 'close' }, 'one;two'],
    ['clear', 200, {}, 'kept'],
    ['late-header', 200, {}, 'sent;late status refused: True'],
    ['error-after-flush', 200, {}, /^partial;[\s\S]*raised after a flush/],
  ];
  for (const [name, status, headers, body] of cases) {
    test(name, async () => {
      server.requireServing();
      const [response] = parseResponses(await exchange(server.port,
        [{ send: request('GET', `/response-controls.asp?case=${name}`, { headers: { Connection: 'close' } }) }]));
      assert.equal(response.status, status);
      for (const [header, value] of Object.entries(headers)) assert.equal(response.headers[header], value, header);
      if (typeof body === 'string') assert.equal(response.body, body);
      else assert.match(response.body, body);
    });
  }

  test('BinaryWrite of BinaryRead echoes every byte', async () => {
    server.requireServing();
    const body = crypto.randomBytes(300000).toString('latin1');
    const [response] = parseResponses(await exchange(server.port,
      [{ send: request('POST', '/response-controls.asp?case=echo', { body, headers: { Connection: 'close' } }) }]));
    assert.equal(response.status, 200);
    assert.equal(response.body.length, body.length);
    assert.ok(response.body === body, 'the echoed bytes equal the sent ones');
  });
});

describe('HTTP framing', () => {
  test('HTTP/1.0: a flushed page ends by closing the connection', async () => {
    server.requireServing();
    const [response] = parseResponses(await exchange(server.port,
      [{ send: 'GET /response-controls.asp?case=flush HTTP/1.0\r\n\r\n' }]));
    assert.equal(response.status, 200);
    assert.equal(response.headers['content-length'], undefined);
    assert.equal(response.headers.connection, 'close');
    assert.equal(response.body, 'first part;second part');
  });

  test('one request per connection: a second one is not answered', async () => {
    server.requireServing();
    const text = await exchange(server.port, [{
      send: request('POST', '/response-controls.asp?case=echo', { body: 'first body' }) + request('GET', '/style.css'),
    }]);
    const responses = parseResponses(text);
    assert.deepEqual(responses.map((r) => r.status), [200]);
    assert.equal(responses[0].headers.connection, 'close');
    assert.equal(responses[0].body, 'first body');
  });

  test('Expect: 100-continue is answered before the body is sent', async () => {
    server.requireServing();
    const head = 'POST /response-controls.asp?case=echo HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\n' +
      'Expect: 100-continue\r\nConnection: close\r\n\r\n';
    const responses = parseResponses(await exchange(server.port,
      [{ send: head }, { send: 'hello', waitFor: '100 Continue\r\n\r\n' }]));
    assert.deepEqual(responses.map((r) => r.status), [100, 200]);
    assert.equal(responses[1].body, 'hello');
  });

  test('a body over --max-request-bytes gets 413 before it is sent', async () => {
    server.requireServing();
    const head = `POST /upload-result.asp HTTP/1.1\r\nHost: x\r\nContent-Length: ${maxRequestBytes + 1}\r\n` +
      'Expect: 100-continue\r\n\r\n';
    const [response] = parseResponses(await exchange(server.port, [{ send: head }]));
    assert.equal(response.status, 413);
    assert.equal(response.headers.connection, 'close');
  });

  test('refusals', async () => {
    server.requireServing();
    const cases = [
      ['include files are not sent', request('GET', '/secret.inc'), 403],
      ['a folder without its slash', request('GET', '/includes'), 404],
      ['a malformed request line', 'GARBAGE\r\n\r\n', 400],
      ['POST to a static file', request('POST', '/style.css', { body: 'x=1' }), 501],
      ['another method', request('PUT', '/default.asp'), 501],
      ['HEAD', request('HEAD', '/default.asp'), 501],
      ['a chunked request body', request('POST', '/default.asp', { headers: { 'Transfer-Encoding': 'chunked' } }), 501],
      ['HTTP/2 over plain text', 'GET / HTTP/2.0\r\n\r\n', 501],
    ];
    for (const [label, bytes, status] of cases) {
      const text = await exchange(server.port, [{ send: bytes.replace('\r\n\r\n', '\r\nConnection: close\r\n\r\n') }]);
      const [response] = parseResponses(text);
      assert.equal(response?.status, status, `${label}: ${text.slice(0, 200)}`);
    }
  });
});

describe('page errors', () => {
  test('a missing include gives a 500 page naming it', async () => {
    server.requireServing();
    const result = await curl([`${server.url}bad-include.asp`]);
    assert.equal(result.status, 500);
    assert.match(result.body, /\/bad-include\.asp, line 2/);
    assert.match(result.body, /no-such-include\.asp/);
  });

  test('a runtime error gives a 500 page with its number and line', async () => {
    server.requireServing();
    const result = await curl([`${server.url}runtime-error.asp`]);
    assert.equal(result.status, 500);
    assert.match(result.body, /\/runtime-error\.asp, line 5/);
    assert.match(result.body, /0x800A000D \(-2146828275\)/);
    assert.match(result.body, /Type mismatch/);
    assert.doesNotMatch(result.body, /<p>before<\/p>/, 'the page output is replaced');
    assert.equal((await curl([server.url])).status, 200);
  });
});
