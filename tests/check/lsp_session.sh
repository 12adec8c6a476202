#!/usr/bin/env bash
# A scripted session against the program itself: `kestrun1 --lsp` as an
# editor starts it, every message framed on a pipe, each answer read and
# checked before the next request goes out (initialize, open, change,
# completion, hover, definition, symbols, shutdown, exit), then the exit code.
set -uo pipefail
bin=$(readlink -f "$1")
exec python3 - "$bin" <<'PY'
import json, subprocess, sys

p = subprocess.Popen([sys.argv[1], "--lsp"], stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
fail = []
def send(m):
    b = json.dumps(m).encode()
    p.stdin.write(b"Content-Length: %d\r\n\r\n" % len(b) + b)
    p.stdin.flush()
def read():
    length = None
    while True:
        line = p.stdout.readline()
        if not line:
            raise SystemExit("the server closed its output")
        line = line.rstrip(b"\r\n")
        if not line:
            break
        k, _, v = line.partition(b":")
        if k.lower() == b"content-length":
            length = int(v)
    return json.loads(p.stdout.read(length))
def check(what, ok):
    if not ok:
        fail.append(what)
        print("FAILED:", what)
uri = "file:///session.dat"
text = ("PvxjExecutionServiceAllocate ExecutionServiceHdl 1 End\n"
        "PvxjExecutionServiceLogon\n"
        "   ExecutionServiceHdl 1\n"
        "   XpRc PVX_OK\n"
        "End\n")
send({"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {"processId": None, "capabilities": {}}})
r = read()
check("initialize answers id 1 with capabilities", r.get("id") == 1 and r["result"]["capabilities"]["hoverProvider"] is True)
send({"jsonrpc": "2.0", "method": "initialized", "params": {}})
send({"jsonrpc": "2.0", "method": "textDocument/didOpen",
      "params": {"textDocument": {"uri": uri, "languageId": "kestrun", "version": 1, "text": text}}})
r = read()
check("open: diagnostics published, none for a correct file",
      r.get("method") == "textDocument/publishDiagnostics" and r["params"]["uri"] == uri and r["params"]["diagnostics"] == [])
# Line 3 becomes "   XpRc PVX_OKAY": an unknown return-code name.
send({"jsonrpc": "2.0", "method": "textDocument/didChange",
      "params": {"textDocument": {"uri": uri, "version": 2},
                 "contentChanges": [{"range": {"start": {"line": 3, "character": 14}, "end": {"line": 3, "character": 14}},
                                     "text": "AY"}]}})
r = read()
d = r["params"]["diagnostics"]
check("change: the new version's diagnostics", r["params"]["version"] == 2 and len(d) == 1)
check("change: the unknown name where it stands",
      d and d[0]["range"] == {"start": {"line": 3, "character": 8}, "end": {"line": 3, "character": 16}} and d[0]["severity"] == 1)
send({"jsonrpc": "2.0", "id": 2, "method": "textDocument/completion",
      "params": {"textDocument": {"uri": uri}, "position": {"line": 4, "character": 0}}})
r = read()
labels = [i["label"] for i in r["result"]["items"]]
check("completion inside the logon: parameters not given, End", r["id"] == 2 and "UserID" in labels and "End" in labels
      and "ExecutionServiceHdl" not in labels and "XpRc" not in labels)
send({"jsonrpc": "2.0", "id": 3, "method": "textDocument/hover",
      "params": {"textDocument": {"uri": uri}, "position": {"line": 1, "character": 3}}})
r = read()
check("hover: the syntax reference entry", r["id"] == 3 and "  UserID " in r["result"]["contents"]["value"])
send({"jsonrpc": "2.0", "id": 4, "method": "textDocument/definition",
      "params": {"textDocument": {"uri": uri}, "position": {"line": 2, "character": 23}}})
r = read()
check("definition: the handle's creating section",
      r["id"] == 4 and r["result"] == {"uri": uri, "range": {"start": {"line": 0, "character": 0}, "end": {"line": 0, "character": 28}}})
send({"jsonrpc": "2.0", "id": 5, "method": "textDocument/documentSymbol", "params": {"textDocument": {"uri": uri}}})
r = read()
check("symbols: two sections", [s["name"] for s in r["result"]] == ["PvxjExecutionServiceAllocate", "PvxjExecutionServiceLogon"])
send({"jsonrpc": "2.0", "id": 6, "method": "shutdown"})
r = read()
check("shutdown answers null", r == {"jsonrpc": "2.0", "id": 6, "result": None})
send({"jsonrpc": "2.0", "method": "exit"})
p.stdin.close()
rc = p.wait(timeout=20)
check("exit after shutdown ends with 0", rc == 0)
check("nothing more on standard output", p.stdout.read() == b"")
check("nothing on standard error", p.stderr.read() == b"")
if fail:
    sys.exit(1)
print("lsp session: every message as expected")
PY
