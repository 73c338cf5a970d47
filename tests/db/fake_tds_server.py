#!/usr/bin/env python3
"""A small stand-in for a SQL Server on loopback, for tests of what the
program sends: it speaks enough of the TDS 7.4 protocol for the FreeTDS ODBC
driver to log in, run batches and remote procedure calls and handle
transactions, records each of them as a JSON line, and answers from canned
rules: a result set, a row count, an error, or a dropped connection.

    fake_tds_server.py RULES_JSON LOG_JSONL PORT_FILE

RULES_JSON: {"collation": {"lcid": 2052, "flags": 13, "sortid": 0},
             "rules": [{"match": "regex", "columns": [["name", "int"], ...],
                        "rows": [[...]], "rowcount": 1,
                        "error": {"number": 208, "message": "..."},
                        "drop": true, "times": 1}, ...]}
The first rule whose regex is found in a statement answers it (times: how
often it answers, then it is spent). A statement no rule matches gets an
empty answer with a row count of 1 when it changes rows, 0 otherwise.
Column types: int, bigint, float, nvarchar. The server listens on 127.0.0.1
only, on a port of the system's choosing written to PORT_FILE.
"""

import json
import re
import socket
import struct
import sys
import threading

PACKET_SIZE = 4096

# Packet types.
SQL_BATCH, RPC, REPLY, ATTENTION, TRANSACTION, LOGIN7, PRELOGIN = 0x01, 0x03, 0x04, 0x06, 0x0E, 0x10, 0x12

# Procedures called by number.
PROC_NAMES = {1: "sp_cursor", 2: "sp_cursoropen", 3: "sp_cursorprepare", 4: "sp_cursorexecute",
              5: "sp_cursorprepexec", 6: "sp_cursorunprepare", 7: "sp_cursorfetch", 8: "sp_cursoroption",
              9: "sp_cursorclose", 10: "sp_executesql", 11: "sp_prepare", 12: "sp_execute",
              13: "sp_prepexec", 14: "sp_prepexecrpc", 15: "sp_unprepare"}

TYPE_NAMES = {0x26: "intn", 0x68: "bitn", 0x6D: "floatn", 0x6F: "datetimen", 0x6E: "moneyn", 0x24: "guid",
              0x6A: "decimaln", 0x6C: "numericn", 0x28: "date", 0x29: "time", 0x2A: "datetime2",
              0x2B: "datetimeoffset", 0xA7: "varchar", 0xAF: "char", 0xE7: "nvarchar", 0xEF: "nchar",
              0xA5: "varbinary", 0xAD: "binary", 0x23: "text", 0x63: "ntext", 0x22: "image",
              0x30: "tinyint", 0x32: "bit", 0x34: "smallint", 0x38: "int", 0x7F: "bigint", 0x3B: "real",
              0x3E: "float", 0x3D: "datetime", 0x1F: "null", 0x62: "sql_variant"}
FIXED_LENGTHS = {0x30: 1, 0x32: 1, 0x34: 2, 0x38: 4, 0x7F: 8, 0x3B: 4, 0x3E: 8, 0x3D: 8, 0x3A: 4, 0x3C: 8,
                 0x7A: 4, 0x1F: 0}


def ucs2(text):
    return text.encode("utf-16-le")


def b_varchar(text):
    return bytes([len(text)]) + ucs2(text)


def us_varchar(text):
    return struct.pack("<H", len(text)) + ucs2(text)


class Collation:
    def __init__(self, given):
        self.lcid = given.get("lcid", 0x0804)
        self.flags = given.get("flags", 0x0D)
        self.sortid = given.get("sortid", 0)

    def bytes(self):
        return struct.pack("<I", self.lcid | (self.flags << 20)) + bytes([self.sortid])


def codec_of(collation_bytes):
    """The Python codec of the code page a 5-byte TDS collation names."""
    info = struct.unpack("<I", collation_bytes[:4])[0]
    lcid, flags, sortid = info & 0xFFFFF, (info >> 20) & 0xFF, collation_bytes[4]
    if flags & 0x40:  # UTF-8 collation
        return "utf-8"
    if sortid in (52, 51, 54, 53, 183, 184, 185, 186):
        return "cp1252"
    return {0x0804: "gbk", 0x1004: "gbk", 0x0404: "big5", 0x0411: "cp932", 0x0412: "cp949"}.get(lcid, "cp1252")


def dotnet_days_to_date(days):
    import datetime
    return (datetime.date(1, 1, 1) + datetime.timedelta(days=days)).isoformat()


def read_type_info(data, pos):
    """TYPE_INFO at pos: (info dict, new pos)."""
    t = data[pos]
    pos += 1
    info = {"type": TYPE_NAMES.get(t, "0x%02x" % t), "code": t}
    if t in FIXED_LENGTHS:
        info["fixed"] = FIXED_LENGTHS[t]
    elif t in (0x26, 0x68, 0x6D, 0x6F, 0x6E, 0x24):
        info["size"] = data[pos]
        pos += 1
    elif t in (0x6A, 0x6C):
        info["size"], info["precision"], info["scale"] = data[pos], data[pos + 1], data[pos + 2]
        pos += 3
    elif t == 0x28:
        pass
    elif t in (0x29, 0x2A, 0x2B):
        info["scale"] = data[pos]
        pos += 1
    elif t in (0xA7, 0xAF, 0xE7, 0xEF):
        info["size"] = struct.unpack_from("<H", data, pos)[0]
        info["collation"] = data[pos + 2:pos + 7]
        pos += 7
    elif t in (0xA5, 0xAD):
        info["size"] = struct.unpack_from("<H", data, pos)[0]
        pos += 2
    elif t in (0x23, 0x63):
        info["size"] = struct.unpack_from("<I", data, pos)[0]
        info["collation"] = data[pos + 4:pos + 9]
        pos += 9
    elif t in (0x22, 0x62):
        info["size"] = struct.unpack_from("<I", data, pos)[0]
        pos += 4
    else:
        raise ValueError("type 0x%02x not understood" % t)
    return info, pos


def read_value(data, pos, info):
    """The raw bytes of a value (None for NULL) and the new position."""
    t = info["code"]
    if "fixed" in info:
        n = info["fixed"]
        return data[pos:pos + n], pos + n
    if t in (0xA7, 0xAF, 0xE7, 0xEF, 0xA5, 0xAD):
        if info["size"] == 0xFFFF:  # a (max) type, in chunks
            total = struct.unpack_from("<Q", data, pos)[0]
            pos += 8
            if total == 0xFFFFFFFFFFFFFFFF:
                return None, pos
            raw = b""
            while True:
                n = struct.unpack_from("<I", data, pos)[0]
                pos += 4
                if n == 0:
                    return raw, pos
                raw += data[pos:pos + n]
                pos += n
        n = struct.unpack_from("<H", data, pos)[0]
        pos += 2
        if n == 0xFFFF:
            return None, pos
        return data[pos:pos + n], pos + n
    if t in (0x23, 0x63, 0x22, 0x62):
        n = struct.unpack_from("<I", data, pos)[0]
        pos += 4
        if n == 0xFFFFFFFF:
            return None, pos
        return data[pos:pos + n], pos + n
    n = data[pos]
    pos += 1
    if n == 0:
        return None, pos
    return data[pos:pos + n], pos + n


def decode_value(info, raw):
    if raw is None:
        return None
    t = info["code"]
    if t in (0xE7, 0xEF, 0x63):
        return raw.decode("utf-16-le")
    if t in (0xA7, 0xAF, 0x23):
        return raw.decode(codec_of(info["collation"]), errors="replace")
    if t in (0x26, 0x30, 0x34, 0x38, 0x7F, 0x68, 0x32):
        return int.from_bytes(raw, "little", signed=t != 0x30)
    if t in (0x6D, 0x3E, 0x3B):
        return struct.unpack("<d" if len(raw) == 8 else "<f", raw)[0]
    if t == 0x2A:
        time_len = len(raw) - 3
        ticks = int.from_bytes(raw[:time_len], "little")
        days = int.from_bytes(raw[time_len:], "little")
        seconds = ticks / (10 ** info["scale"])
        return "%sT%02d:%02d:%09.6f" % (dotnet_days_to_date(days), seconds // 3600, seconds % 3600 // 60,
                                       seconds % 60)
    if t == 0x28:
        return dotnet_days_to_date(int.from_bytes(raw, "little"))
    if t in (0x6F, 0x3D) and len(raw) == 8:
        import datetime
        days, ticks = struct.unpack("<iI", raw)
        moment = datetime.datetime(1900, 1, 1) + datetime.timedelta(days=days, seconds=ticks / 300)
        return moment.isoformat()
    return raw.hex()


class Rules:
    def __init__(self, configured):
        self.collation = Collation(configured.get("collation", {}))
        self.rules = configured.get("rules", [])
        self.lock = threading.Lock()

    def answer(self, sql):
        with self.lock:
            for rule in self.rules:
                if rule.get("times", -1) == 0:
                    continue
                if re.search(rule["match"], sql, re.IGNORECASE | re.DOTALL):
                    if rule.get("times", -1) > 0:
                        rule["times"] -= 1
                    return rule
        changes = re.match(r"\s*(insert|update|delete)\b", sql, re.IGNORECASE)
        return {"rowcount": 1 if changes else 0}


class Log:
    def __init__(self, path):
        self.file = open(path, "a", encoding="utf-8")
        self.lock = threading.Lock()

    def write(self, **event):
        with self.lock:
            self.file.write(json.dumps(event, ensure_ascii=False) + "\n")
            self.file.flush()


class Dropped(Exception):
    pass


class Session:
    def __init__(self, sock, number, rules, log):
        self.sock = sock
        self.number = number
        self.rules = rules
        self.log = log
        self.prepared = {}
        self.next_handle = 1
        self.transaction = b"\0" * 8
        self.transactions = 0
        self.in_transaction = False

    # --- packets ---
    def read_message(self):
        message = b""
        kind = None
        while True:
            header = self.recv_exact(8)
            kind = header[0]
            length = struct.unpack(">H", header[2:4])[0]
            message += self.recv_exact(length - 8)
            if header[1] & 0x01:
                return kind, message

    def recv_exact(self, n):
        data = b""
        while len(data) < n:
            chunk = self.sock.recv(n - len(data))
            if not chunk:
                raise ConnectionError("client closed")
            data += chunk
        return data

    def send(self, payload, kind=REPLY):
        body = PACKET_SIZE - 8
        chunks = [payload[i:i + body] for i in range(0, len(payload), body)] or [b""]
        for i, chunk in enumerate(chunks):
            last = i == len(chunks) - 1
            header = struct.pack(">BBHHBB", kind, 0x01 if last else 0x00, len(chunk) + 8, 0, (i + 1) % 256, 0)
            self.sock.sendall(header + chunk)

    # --- tokens ---
    @staticmethod
    def done(token=0xFD, status=0, rowcount=0, curcmd=0xC1):
        return struct.pack("<BHHQ", token, status, curcmd, rowcount)

    @staticmethod
    def envchange(kind, new, old):
        body = bytes([kind]) + new + old
        return struct.pack("<BH", 0xE3, len(body)) + body

    def error(self, number, message, severity=16):
        body = struct.pack("<IBB", number, 1, severity) + us_varchar(message) + b_varchar("fake") + b_varchar("") \
            + struct.pack("<I", 1)
        return struct.pack("<BH", 0xAA, len(body)) + body

    def column_type(self, kind):
        if kind == "int":
            return bytes([0x26, 4])
        if kind == "bigint":
            return bytes([0x26, 8])
        if kind == "float":
            return bytes([0x6D, 8])
        if kind == "nvarchar":
            return bytes([0xE7]) + struct.pack("<H", 8000) + self.rules.collation.bytes()
        raise ValueError(kind)

    @staticmethod
    def column_value(kind, value):
        if kind in ("int", "bigint", "float") and value is None:
            return b"\0"
        if kind == "int":
            return bytes([4]) + struct.pack("<i", value)
        if kind == "bigint":
            return bytes([8]) + struct.pack("<q", value)
        if kind == "float":
            return bytes([8]) + struct.pack("<d", value)
        if value is None:
            return b"\xff\xff"
        data = ucs2(str(value))
        return struct.pack("<H", len(data)) + data

    def results(self, rule, in_proc):
        """The tokens that answer one statement, without the final DONE status."""
        if rule.get("drop"):
            raise Dropped()
        done_token = 0xFF if in_proc else 0xFD
        if "error" in rule:
            e = rule["error"]
            return self.error(e["number"], e["message"]) + self.done(done_token, 0x02 | 0x01 if in_proc else 0x02)
        out = b""
        if "columns" in rule:
            columns = rule["columns"]
            out += struct.pack("<BH", 0x81, len(columns))
            for name, kind in columns:
                out += struct.pack("<IH", 0, 0x0001) + self.column_type(kind) + b_varchar(name)
            for row in rule.get("rows", []):
                out += b"\xd1" + b"".join(self.column_value(kind, v) for (name, kind), v in zip(columns, row))
            count = len(rule.get("rows", []))
        else:
            count = rule.get("rowcount", 0)
        status = 0x10 | (0x01 if in_proc else 0)
        return out + self.done(done_token, status, count)

    # --- requests ---
    def prelogin(self, data):
        # The client's encryption option (token 1): 0 off, 1 on, 2 not
        # supported, 3 required. This server cannot encrypt and says so.
        encryption = None
        pos = 0
        while pos < len(data) and data[pos] != 0xFF:
            token, offset, length = struct.unpack_from(">BHH", data, pos)
            if token == 0x01 and length >= 1:
                encryption = data[offset]
            pos += 5
        self.log.write(conn=self.number, event="prelogin", encryption=encryption)
        options = [(0x00, bytes([15, 0, 0x07, 0xD0, 0, 0])), (0x01, bytes([0x02])), (0x02, b"\0"),
                   (0x03, b""), (0x04, b"\0")]
        offset = len(options) * 5 + 1
        head, data = b"", b""
        for token, value in options:
            head += struct.pack(">BHH", token, offset + len(data), len(value))
            data += value
        self.send(head + b"\xff" + data)

    def login(self, data):
        version = struct.unpack_from("<I", data, 4)[0]
        fields = {}
        names = ["host", "user", "password", "app", "server", "extension", "library", "language", "database"]
        for i, name in enumerate(names):
            offset, length = struct.unpack_from("<HH", data, 36 + 4 * i)
            fields[name] = data[offset:offset + 2 * length]
        password = bytes(((b ^ 0xA5) >> 4 | ((b ^ 0xA5) & 0x0F) << 4) for b in fields["password"])
        event = {k: v.decode("utf-16-le", errors="replace") for k, v in fields.items() if k != "extension"}
        event["password"] = password.decode("utf-16-le", errors="replace")
        self.log.write(conn=self.number, event="login", tds_version="%08x" % version,
                       option_flags2=data[25], **event)
        database = event["database"] or "master"
        reply = self.envchange(1, b_varchar(database), b_varchar("master"))
        reply += self.envchange(7, bytes([5]) + self.rules.collation.bytes(), b"\0")
        reply += self.envchange(4, b_varchar(str(PACKET_SIZE)), b_varchar(str(PACKET_SIZE)))
        ack = bytes([1]) + bytes([0x74, 0x00, 0x00, 0x04]) + b_varchar("Microsoft SQL Server") \
            + bytes([15, 0, 0x07, 0xD0])
        reply += struct.pack("<BH", 0xAD, len(ack)) + ack
        reply += self.done()
        self.send(reply)

    @staticmethod
    def skip_headers(data):
        return struct.unpack_from("<I", data, 0)[0]

    def batch(self, data):
        sql = data[self.skip_headers(data):].decode("utf-16-le")
        self.log.write(conn=self.number, event="batch", sql=sql, transaction=self.in_transaction)
        rule = self.rules.answer(sql)
        out = self.results(rule, False)
        self.send(out)

    def rpc(self, data):
        pos = self.skip_headers(data)
        name_length = struct.unpack_from("<H", data, pos)[0]
        pos += 2
        if name_length == 0xFFFF:
            proc_id = struct.unpack_from("<H", data, pos)[0]
            pos += 2
            proc = PROC_NAMES.get(proc_id, str(proc_id))
        else:
            proc = data[pos:pos + 2 * name_length].decode("utf-16-le")
            pos += 2 * name_length
        pos += 2  # option flags
        params = []
        while pos < len(data) and data[pos] not in (0x80, 0xFF):
            name_chars = data[pos]
            name = data[pos + 1:pos + 1 + 2 * name_chars].decode("utf-16-le")
            pos += 1 + 2 * name_chars
            status = data[pos]
            pos += 1
            info, pos = read_type_info(data, pos)
            raw, pos = read_value(data, pos, info)
            param = {"name": name, "type": info["type"], "output": bool(status & 1),
                     "value": decode_value(info, raw), "hex": None if raw is None else raw.hex()}
            if "size" in info:
                param["size"] = info["size"]
            if "collation" in info:
                param["codec"] = codec_of(info["collation"])
            params.append(param)
        sql = None
        if proc in ("sp_executesql",):
            sql = params[0]["value"]
        elif proc in ("sp_prepare", "sp_prepexec", "sp_cursorprepare", "sp_cursorprepexec"):
            sql = params[2]["value"] if proc in ("sp_prepare", "sp_prepexec") else params[3]["value"]
        elif proc == "sp_execute":
            sql = self.prepared.get(params[0]["value"])
        elif proc == "sp_cursoropen":
            sql = params[1]["value"]
        self.log.write(conn=self.number, event="rpc", proc=proc, sql=sql, params=params,
                       transaction=self.in_transaction)

        out = b""
        handle = None
        if proc in ("sp_prepare", "sp_prepexec"):
            handle = self.next_handle
            self.next_handle += 1
            self.prepared[handle] = sql
        if proc in ("sp_executesql", "sp_execute", "sp_prepexec"):
            out += self.results(self.rules.answer(sql or ""), True)
        # A cursor call (Qt's ODBC plugin sends one itself when it connects)
        # is recorded and answered with nothing: no cursor, no error.
        out += struct.pack("<Bi", 0x79, 0)
        if handle is not None:
            value = bytes([0x26, 4]) + bytes([4]) + struct.pack("<i", handle)
            out += struct.pack("<BH", 0xAC, 0) + b_varchar("@handle") + bytes([0x01]) \
                + struct.pack("<IH", 0, 0x0001) + value
        out += self.done(0xFE, 0, 0)
        self.send(out)

    def transaction_request(self, data):
        pos = self.skip_headers(data)
        request = struct.unpack_from("<H", data, pos)[0]
        names = {5: "begin", 7: "commit", 8: "rollback", 9: "savepoint"}
        what = names.get(request, str(request))
        again = False
        if request in (7, 8):
            name_length = data[pos + 2]
            flag_at = pos + 3 + 2 * name_length
            again = flag_at < len(data) and bool(data[flag_at] & 0x01)
        self.log.write(conn=self.number, event="transaction", request=what, begin_again=again)
        out = b""
        self.in_transaction = request == 5 or again
        if request == 5:
            self.transactions += 1
            self.transaction = struct.pack("<Q", self.transactions)
            out += self.envchange(8, bytes([8]) + self.transaction, b"\0")
        elif request in (7, 8):
            out += self.envchange(9 if request == 7 else 10, b"\0", bytes([8]) + self.transaction)
            if again:
                self.transactions += 1
                self.transaction = struct.pack("<Q", self.transactions)
                out += self.envchange(8, bytes([8]) + self.transaction, b"\0")
        self.send(out + self.done())

    def serve(self):
        self.log.write(conn=self.number, event="connect")
        try:
            while True:
                kind, data = self.read_message()
                if kind == PRELOGIN:
                    self.prelogin(data)
                elif kind == LOGIN7:
                    self.login(data)
                elif kind == SQL_BATCH:
                    self.batch(data)
                elif kind == RPC:
                    self.rpc(data)
                elif kind == TRANSACTION:
                    self.transaction_request(data)
                elif kind == ATTENTION:
                    self.log.write(conn=self.number, event="attention")
                    self.send(self.done(status=0x20))
                else:
                    self.log.write(conn=self.number, event="unknown", kind=kind)
        except Dropped:
            self.log.write(conn=self.number, event="dropped")
        except (ConnectionError, OSError):
            self.log.write(conn=self.number, event="closed")
        except Exception as e:  # a request this server does not understand
            self.log.write(conn=self.number, event="failed", error=repr(e))
        finally:
            try:
                self.sock.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            self.sock.close()


def main():
    rules_path, log_path, port_path = sys.argv[1:4]
    with open(rules_path, encoding="utf-8") as f:
        rules = Rules(json.load(f))
    log = Log(log_path)
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    with open(port_path + ".part", "w") as f:
        f.write(str(listener.getsockname()[1]))
    import os
    os.replace(port_path + ".part", port_path)
    number = 0
    while True:
        sock, _ = listener.accept()
        number += 1
        threading.Thread(target=Session(sock, number, rules, log).serve, daemon=True).start()


if __name__ == "__main__":
    main()
