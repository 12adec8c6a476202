#!/usr/bin/env bash
# A session in a real editor: headless Neovim with its built-in client and
# the generated ftplugin opens a test case, reads the diagnostics that
# `kestrun1 --lsp` publishes and asks for a completion list inside a section.
set -uo pipefail
bin=$(readlink -f "$1") src=$(cd "$2" && pwd)
command -v nvim >/dev/null 2>&1 || { echo "nvim not installed: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/case.dat" <<'DAT'
/* a logon with a mistake */
PvxjExecutionServiceAllocate ExecutionServiceHdl 1 End
PvxjExecutionServiceLogon
   ExecutionServiceHdl 1
   UserID "USER1"
   XpRc PVX_OK
End
NoSuchMethod End
DAT
cat >"$work/probe.lua" <<'LUA'
local out = {}
local function done()
  vim.fn.writefile(out, vim.env.PROBE_OUT)
  vim.cmd('qa!')
end
table.insert(out, 'filetype=' .. vim.bo.filetype)
local ok = vim.wait(10000, function() return #vim.diagnostic.get(0) > 0 end, 50)
if not ok then table.insert(out, 'no diagnostics'); return done() end
for _, d in ipairs(vim.diagnostic.get(0)) do
  table.insert(out, string.format('diagnostic %d:%d %s %s', d.lnum + 1, d.col + 1,
    tostring(d.code or (d.user_data and d.user_data.lsp and d.user_data.lsp.code)), d.message))
end
-- On the line of the logon's End: the parameters not given yet.
local params = { textDocument = { uri = vim.uri_from_bufnr(0) }, position = { line = 6, character = 0 } }
local res = vim.lsp.buf_request_sync(0, 'textDocument/completion', params, 10000)
local labels = {}
for _, r in pairs(res or {}) do
  local items = r.result and (r.result.items or r.result) or {}
  for _, i in ipairs(items) do table.insert(labels, i.label) end
end
table.sort(labels)
table.insert(out, 'completion ' .. table.concat(labels, ' '))
done()
LUA
cd "$work"
PROBE_OUT="$work/out" HOME="$work" XDG_CONFIG_HOME="$work" XDG_DATA_HOME="$work" XDG_STATE_HOME="$work" \
  timeout 60 nvim --headless -u NONE -i NONE -n --cmd "set rtp^=$src/editors/vim" \
  --cmd "let g:kestrun1_lsp_cmd = ['$bin', '--lsp']" \
  -c 'filetype plugin on' -c 'edit case.dat' -c "luafile $work/probe.lua" </dev/null >/dev/null 2>&1
got=$(cat "$work/out" 2>/dev/null)
want_check=$(cd "$work" && "$bin" --check case.dat | sed -n 's/^case\.dat:\([0-9]*\):\([0-9]*\): [a-z]*: \(.*\)$/\1:\2 \3/p')
fail=0
grep -qx 'filetype=kestrun' <<<"$got" || { echo "not detected as a test case"; fail=1; }
# Every finding of --check, at its line and column, with its TC tag as the code.
while IFS= read -r f; do
  pos=${f%% *} msg=${f#* }
  grep -qF "diagnostic $pos " <<<"$got" && grep -qF "$msg" <<<"$got" || { echo "missing diagnostic: $f"; fail=1; }
done <<<"$want_check"
grep -q '^diagnostic 8:1 TC0006 ' <<<"$got" || { echo "the unknown method is not TC0006 at 8:1"; fail=1; }
grep -q '^completion .*\bEnd\b' <<<"$got" && grep -q '^completion .*\bPassword\b' <<<"$got" ||
  { echo "the completion list lacks End or Password"; fail=1; }
grep -q '^completion .*\bUserID\b' <<<"$got" && { echo "the completion offers UserID, given already"; fail=1; }
if [ "$fail" != 0 ]; then echo "--- Neovim saw:"; echo "$got"; exit 1; fi
echo "Neovim: $(grep -c '^diagnostic' <<<"$got") diagnostics and a completion list from kestrun1 --lsp"
