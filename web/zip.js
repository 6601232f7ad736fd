// A ZIP archive of stored (uncompressed) entries. The outputs are small text and SVG
// files, so compression would buy little; storing keeps the writer short, and a fixed
// entry time (1980-01-01 00:00) makes the same files give the same bytes.
'use strict';

(function (scope) {
  const crcTable = new Uint32Array(256);
  for (let n = 0; n < 256; n++) {
    let c = n;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    crcTable[n] = c >>> 0;
  }

  function crc32(bytes) {
    let c = 0xffffffff;
    for (let i = 0; i < bytes.length; i++) c = crcTable[(c ^ bytes[i]) & 0xff] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
  }

  const UTF8_NAMES = 0x0800; // general-purpose flag 11: names are UTF-8
  const DOS_DATE = (0 << 9) | (1 << 5) | 1; // 1980-01-01, the earliest a ZIP can hold

  // entries: [{name, data: Uint8Array}] in the order to store them. Returns a Blob.
  function storedZip(entries) {
    if (entries.length > 0xffff) throw new Error('a ZIP without ZIP64 holds at most 65535 files');
    const encoder = new TextEncoder();
    const parts = [];
    const central = [];
    let offset = 0;
    for (const entry of entries) {
      const name = encoder.encode(entry.name);
      const size = entry.data.length;
      const crc = crc32(entry.data);
      const local = new DataView(new ArrayBuffer(30));
      local.setUint32(0, 0x04034b50, true);
      local.setUint16(4, 20, true); // version needed
      local.setUint16(6, UTF8_NAMES, true);
      local.setUint16(8, 0, true); // method: stored
      local.setUint16(10, 0, true); // time
      local.setUint16(12, DOS_DATE, true);
      local.setUint32(14, crc, true);
      local.setUint32(18, size, true);
      local.setUint32(22, size, true);
      local.setUint16(26, name.length, true);
      local.setUint16(28, 0, true); // extra field length
      parts.push(local, name, entry.data);

      const record = new DataView(new ArrayBuffer(46));
      record.setUint32(0, 0x02014b50, true);
      record.setUint16(4, 20, true); // made by
      record.setUint16(6, 20, true); // needed
      record.setUint16(8, UTF8_NAMES, true);
      record.setUint16(10, 0, true);
      record.setUint16(12, 0, true);
      record.setUint16(14, DOS_DATE, true);
      record.setUint32(16, crc, true);
      record.setUint32(20, size, true);
      record.setUint32(24, size, true);
      record.setUint16(28, name.length, true);
      // extra, comment, disk, internal and external attributes stay 0
      record.setUint32(42, offset, true);
      central.push(record, name);
      offset += 30 + name.length + size;
    }
    const centralSize = central.reduce((sum, part) => sum + part.byteLength, 0);
    const end = new DataView(new ArrayBuffer(22));
    end.setUint32(0, 0x06054b50, true);
    end.setUint16(8, entries.length, true);
    end.setUint16(10, entries.length, true);
    end.setUint32(12, centralSize, true);
    end.setUint32(16, offset, true);
    return new Blob([...parts, ...central, end], { type: 'application/zip' });
  }

  scope.QuillonZip = { crc32, storedZip };
})(self);
