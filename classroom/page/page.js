'use strict';
// The student's page: join with the code and a name, then one question at a time. Every text
// from the server is set as text, never as HTML.
(function () {
  const $ = (id) => document.getElementById(id);
  let current = null;
  let busy = false;

  function say(text) { $('feedback').textContent = text || ''; }

  async function call(method, path, body) {
    const options = { method: method, credentials: 'same-origin', headers: {} };
    if (body !== undefined) {
      options.headers['Content-Type'] = 'application/json';
      options.body = JSON.stringify(body);
    }
    const response = await fetch(path, options);
    let data = {};
    try { data = await response.json(); } catch (e) { data = {}; }
    return { ok: response.ok, status: response.status, data: data };
  }

  function showonly(id) {
    for (const part of ['join', 'quiz', 'end']) $(part).hidden = part !== id;
  }

  function show(state) {
    current = state;
    if (state.finished) {
      showonly('end');
      const winner = state.winner && state.maximum > 0;
      $('endtitle').textContent = winner ? 'Winner' : 'Quiz is over';
      $('endtext').textContent = (winner ? 'Congratulations, you won the quiz! ' : '') +
        'Your score is ' + state.score + ' out of ' + state.maximum + '.';
      $('endtitle').focus();
      return;
    }
    showonly('quiz');
    $('number').textContent = 'Question ' + state.number + ' of ' + state.total;
    $('question').textContent = state.question;
    const answers = $('answers');
    answers.replaceChildren();
    state.answers.forEach((text, i) => {
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = text;
      button.disabled = i === state.disabled;
      button.addEventListener('click', () => answer(i));
      answers.appendChild(button);
    });
    $('question').focus();
  }

  async function answer(choice) {
    if (busy || !current) return;
    busy = true;
    try {
      const reply = await call('POST', '/api/answer',
        { number: current.number, try: current.try, choice: choice });
      if (reply.ok) {
        say(reply.data.message);
        show(reply.data.state);
      } else if (reply.status === 409) {
        await resume();
      } else {
        say(reply.data.error || 'Something went wrong. Try again.');
      }
    } catch (e) {
      say('The connection was lost. Try again.');
    } finally {
      busy = false;
    }
  }

  async function resume() {
    try {
      const reply = await call('GET', '/api/state');
      if (reply.ok) { show(reply.data); return; }
    } catch (e) { /* shown as a fresh join */ }
    showonly('join');
    $('code').focus();
  }

  $('join').addEventListener('submit', async (event) => {
    event.preventDefault();
    if (busy) return;
    busy = true;
    try {
      const reply = await call('POST', '/api/join',
        { code: $('code').value.trim(), name: $('name').value });
      if (reply.ok) { say(''); show(reply.data); }
      else say(reply.data.error || 'Could not join.');
    } catch (e) {
      say('The connection was lost. Try again.');
    } finally {
      busy = false;
    }
  });

  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'visible' && current) resume();
  });
  // The QR code carries the class's code in the address.
  $('code').value = new URLSearchParams(location.search).get('code') || '';
  resume();
})();
