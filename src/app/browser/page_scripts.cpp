#include "app/browser/page_scripts.h"

namespace quillora::app {

namespace {

// Shared by the snapshot and the apply script: the documents of the page in a fixed order (the
// top document, then every reachable frame depth first) and the forms' own properties read
// through the prototype, since controls named "action", "method" or "elements" shadow them.
const char* kCommon = R"JS(
const qlGet = (proto, name) => Object.getOwnPropertyDescriptor(proto, name).get;
const qlFP = HTMLFormElement.prototype;
const qlAttr = Element.prototype.getAttribute;
const qlForm = {
  action: qlGet(qlFP, 'action'), method: qlGet(qlFP, 'method'),
  enctype: qlGet(qlFP, 'enctype'), elements: qlGet(qlFP, 'elements')
};
function qlFrames(d) {
  const out = [];
  for (const f of d.querySelectorAll('iframe,frame')) {
    try { if (f.contentDocument) out.push(f.contentDocument); } catch (e) {}
  }
  return out;
}
function qlControls(f) {
  const list = Array.from(qlForm.elements.call(f));
  // The elements collection leaves image buttons out; they still post their name.
  for (const img of f.querySelectorAll('input[type=image]')) list.push(img);
  return list;
}
)JS";

}  // namespace

QString SnapshotScript() {
  // Everything stays inside the function: a top-level declaration would outlive the call in
  // the script world and clash with the next script's.
  return QStringLiteral("(function () {\n") + QString::fromUtf8(kCommon) + QStringLiteral(R"JS(
  try {
    const cut = (s, n) => { s = (s == null) ? '' : String(s); return s.length > n ? s.slice(0, n) : s; };
    function control(e, focused) {
      const t = e.tagName;
      const o = { t: t, n: cut(qlAttr.call(e, 'name'), 1000), y: '', v: '', c: false,
                  ml: 2147483647, sz: 0, h: cut(e.outerHTML, 4000), fo: e === focused };
      if (t === 'INPUT') { o.y = String(e.type || 'text').toLowerCase(); o.c = !!e.checked; }
      if (t === 'INPUT' || t === 'TEXTAREA' || t === 'SELECT' || t === 'BUTTON')
        o.v = cut(e.value, 100000);
      if ((t === 'INPUT' || t === 'TEXTAREA') && e.maxLength >= 0) o.ml = e.maxLength;
      if (t === 'INPUT' || t === 'SELECT') o.sz = e.size || 0;
      if (t === 'SELECT') {
        o.m = !!e.multiple; o.o = [];
        for (const op of e.options) o.o.push([cut(op.text, 2000), !!op.selected]);
      }
      return o;
    }
    function snap(d) {
      const r = { u: d.URL, rs: d.readyState, forms: [], frames: [] };
      const focused = d.activeElement;
      for (const f of d.forms) {
        r.forms.push({ n: cut(qlAttr.call(f, 'name'), 1000), a: cut(qlForm.action.call(f), 8000),
                       m: cut(qlForm.method.call(f), 20), e: cut(qlForm.enctype.call(f), 100),
                       h: cut(f.outerHTML, 200000), x: cut(f.innerText, 100000),
                       els: qlControls(f).map(e => control(e, focused)) });
      }
      for (const fd of qlFrames(d)) r.frames.push(snap(fd));
      return r;
    }
    return JSON.stringify(snap(document));
  } catch (e) { return JSON.stringify({ error: String(e) }); }
})()
)JS");
}

QString ApplyScript(const QString& changes_json) {
  // The changes go in as a JSON literal: JSON text is a valid script expression.
  return QStringLiteral("(function (changes) {\n") + QString::fromUtf8(kCommon) +
         QStringLiteral(R"JS(
  try {
    const docs = [];
    (function walk(d) { docs.push(d); for (const fd of qlFrames(d)) walk(fd); })(document);
    let applied = 0;
    const fire = (e, type) => e.dispatchEvent(new Event(type, { bubbles: true }));
    for (const c of changes) {
      const d = docs[c.d]; if (!d) continue;
      const f = d.forms[c.f]; if (!f) continue;
      const e = qlControls(f)[c.e]; if (!e) continue;
      let changed = false;
      if (typeof c.v === 'string' && e.type !== 'file') { e.value = c.v; changed = true; }
      if (typeof c.c === 'boolean') { e.checked = c.c; changed = true; }
      if (Array.isArray(c.s) && e.tagName === 'SELECT') {
        for (let i = 0; i < e.options.length && i < c.s.length; ++i) e.options[i].selected = !!c.s[i];
        changed = true;
      }
      if (c.st) {
        for (const [k, v] of Object.entries(c.st)) e.style.setProperty(k, String(v), 'important');
      }
      if (changed) { fire(e, 'input'); fire(e, 'change'); }
      ++applied;
    }
    return JSON.stringify({ applied: applied });
  } catch (e) { return JSON.stringify({ error: String(e) }); }
})()JS") +
         changes_json + QStringLiteral(")\n");
}

QString SubmitHookScript(const QString& token) {
  return QStringLiteral(R"JS(
(function () {
  const token = ')JS") +
         token + QStringLiteral(R"JS(';
  const FP = HTMLFormElement.prototype;
  const get = (f, n) => Object.getOwnPropertyDescriptor(FP, n).get.call(f);
  const log = console.log.bind(console);
  // The formdata event carries exactly what is posted, after the page's own handlers, and does
  // not fire for a cancelled submit.
  window.addEventListener('formdata', function (ev) {
    try {
      const f = ev.target;
      const pairs = [];
      for (const [k, v] of ev.formData.entries())
        pairs.push([k, typeof v === 'string' ? v : ((v && v.name) || '')]);
      const lists = {};
      for (const e of get(f, 'elements')) {
        if (e.tagName !== 'SELECT' || !e.name) continue;
        const texts = [];
        for (const o of e.options) if (o.selected) texts.push(o.text);
        lists[e.name] = texts;
      }
      log(token + JSON.stringify({ a: get(f, 'action'), m: get(f, 'method'), e: get(f, 'enctype'),
                                   u: String(location.href), p: pairs, l: lists }));
    } catch (e) {}
  }, true);
})();
)JS");
}

}  // namespace quillora::app
