// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Reads arbitrary bytes as an items-list file. Whatever the bytes, text read from a list is
// written back as the very bytes it came from, and records written and read again are unchanged.
// As the loader reads it, a file saved again keeps every record and every damaged part byte for
// byte in its place, and a second save changes nothing.
#include "fuzz/FuzzFile.h"
#include "mainwindow/ItemsListFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = DecodeItemsListBytes(bytes);
    // A leading byte-order mark is the one thing a read drops.
    fuzz::check(EncodeItemsListText(text) == (bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes));

    int markers = 0;
    const QList<ItemsListRecord> records = ParseItemsListText(text, &markers);
    fuzz::check(records.size() == markers);
    const QByteArray saved = ComposeItemsListBytes(records);
    fuzz::check(saved == EncodeItemsListText(ComposeItemsListText(records) + QStringLiteral("\r\n")));
    fuzz::check(ParseItemsListText(DecodeItemsListBytes(saved)) == records);

    const ItemsListContent content = ParseItemsListData(bytes);
    const QByteArray kept = ComposeItemsListBytes(content.records, content.damaged);
    const ItemsListContent again = ParseItemsListData(kept);
    fuzz::check(again.records == content.records);
    fuzz::check(again.damaged.size() == content.damaged.size());
    for (qsizetype i = 0; i < content.damaged.size() && i < again.damaged.size(); ++i) {
        fuzz::check(again.damaged.at(i).afterRow == content.damaged.at(i).afterRow);
        fuzz::check(again.damaged.at(i).damaged == content.damaged.at(i).damaged);
    }
    // A value no list holds is damage, not a row.
    for (const ItemsListRecord& r : content.records)
        for (const QString& v : r.fields)
            fuzz::check(v.size() <= kItemsListFieldLimit);
    fuzz::check(ComposeItemsListBytes(again.records, again.damaged) == kept);
    return 0;
}
