// Inlined into every page by render_pages.py. Splits the visible text of #page into the lines
// the browser laid out, with their boxes in CSS pixels, and leaves them as JSON in #truth so
// that chromium --dump-dom carries them out.
(() => {
  const page = document.getElementById('page');
  const origin = page.getBoundingClientRect();
  const problems = [];

  // Text the DOM does not hold would be missing from the truth: refuse it instead.
  for (const el of page.querySelectorAll('*')) {
    for (const pseudo of ['::before', '::after']) {
      const content = getComputedStyle(el, pseudo).content;
      if (content !== 'none' && content !== 'normal' && content !== '""')
        problems.push(`${el.tagName}${pseudo} has content ${content}`);
    }
    const style = getComputedStyle(el);
    if (style.display === 'list-item' && style.listStyleType !== 'none')
      problems.push(`${el.tagName} draws a list marker`);
    if (['INPUT', 'TEXTAREA', 'SELECT'].includes(el.tagName))
      problems.push(`${el.tagName} shows text that is not in a text node`);
    if (style.fontVariantCaps !== 'normal' || style.textOverflow === 'ellipsis')
      problems.push(`${el.tagName} changes the characters it shows`);
  }

  const opacity = (el) => {
    let value = 1;
    for (let e = el; e && e !== document.body; e = e.parentElement)
      value *= parseFloat(getComputedStyle(e).opacity);
    return value;
  };
  const transparent = (colour) => /rgba\(.*,\s*0\)$/.test(colour);
  // The part of the page an element's text can show in: ancestors that clip it cut it down.
  const clipOf = (el) => {
    let clip = {left: origin.left, top: origin.top, right: origin.right, bottom: origin.bottom};
    for (let e = el; e && e !== page; e = e.parentElement) {
      if (getComputedStyle(e).overflow === 'visible')
        continue;
      const r = e.getBoundingClientRect();
      clip = {left: Math.max(clip.left, r.left), top: Math.max(clip.top, r.top),
              right: Math.min(clip.right, r.right), bottom: Math.min(clip.bottom, r.bottom)};
    }
    return clip;
  };
  const transformed = (ch, previous, mode) => {
    if (mode === 'uppercase')
      return ch.toUpperCase();
    if (mode === 'lowercase')
      return ch.toLowerCase();
    if (mode === 'capitalize' && !/\S/.test(previous))
      return ch.toUpperCase();
    return ch;
  };

  // Runs of characters on one line box of one text node.
  const fragments = [];
  const walker = document.createTreeWalker(page, NodeFilter.SHOW_TEXT);
  const range = document.createRange();
  for (let node = walker.nextNode(); node; node = walker.nextNode()) {
    const el = node.parentElement;
    if (el.closest('script, style, #truth'))
      continue;
    const style = getComputedStyle(el);
    if (style.visibility !== 'visible' || transparent(style.color) || opacity(el) < 0.1)
      continue;
    const clip = clipOf(el);
    let block = el;
    while (block !== page && getComputedStyle(block).display === 'inline')
      block = block.parentElement;
    let current = null;
    let previous = ' ';
    for (let i = 0; i < node.length; ++i) {
      const ch = node.data[i];
      range.setStart(node, i);
      range.setEnd(node, i + 1);
      const rects = range.getClientRects();
      const r = rects.length ? rects[0] : null;
      const space = /\s/.test(ch);
      // Collapsed white space has no box; a space that ends a wrapped line has one of no width.
      if (!r || r.width === 0) {
        if (space && current)
          current.pendingSpace = true;
        continue;
      }
      const cx = (r.left + r.right) / 2;
      const cy = (r.top + r.bottom) / 2;
      if (cx < clip.left || cx > clip.right || cy < clip.top || cy > clip.bottom)
        continue;
      if (current && Math.abs(r.top - current.top) > r.height / 2) {
        fragments.push(current);
        current = null;
      }
      if (space) {
        if (current)
          current.pendingSpace = true;
        continue;
      }
      const shown = transformed(ch, previous, style.textTransform);
      previous = ch;
      if (!current) {
        current = {text: shown, left: r.left, top: r.top, right: r.right, bottom: r.bottom,
                   gap: parseFloat(style.fontSize), block};
        continue;
      }
      current.text += (current.pendingSpace ? ' ' : '') + shown;
      current.pendingSpace = false;
      current.left = Math.min(current.left, r.left);
      current.top = Math.min(current.top, r.top);
      current.right = Math.max(current.right, r.right);
      current.bottom = Math.max(current.bottom, r.bottom);
    }
    if (current)
      fragments.push(current);
  }

  // Neighbouring inline pieces of one block (a bold word, a link) continue a line; table cells,
  // the items of a row and the buttons of a bar are lines of their own.
  const lines = [];
  for (const f of fragments) {
    const last = lines[lines.length - 1];
    const overlap = last ? Math.min(last.bottom, f.bottom) - Math.max(last.top, f.top) : 0;
    const shorter = last ? Math.min(last.bottom - last.top, f.bottom - f.top) : 0;
    if (last && last.block === f.block && overlap >= shorter / 2 && f.left >= last.right - 1 &&
        f.left - last.right <= Math.max(last.gap, f.gap)) {
      last.text += (f.left - last.right > Math.min(last.gap, f.gap) / 3 ? ' ' : '') + f.text;
      last.right = f.right;
      last.top = Math.min(last.top, f.top);
      last.bottom = Math.max(last.bottom, f.bottom);
      continue;
    }
    lines.push({...f});
  }

  document.getElementById('truth').textContent = JSON.stringify({
    width: origin.width,
    height: origin.height,
    problems,
    lines: lines.map((l) => ({text: l.text, x: l.left - origin.left, y: l.top - origin.top,
                              w: l.right - l.left, h: l.bottom - l.top})),
  });
})();
