// The three changes to the top-level document's body, each through its own
// path from the document. Chromium has no body "scroll" switch, so the
// scroll bars are also hidden by style, which is what the switch is for.
(function () {
  if (!document.body) return false;
  document.body.setAttribute('scroll', 'no');
  document.body.style.border = 'none';
  document.body.style.margin = '0px';
  document.body.style.overflow = 'hidden';
  return true;
})();
