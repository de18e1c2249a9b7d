#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

struct ReplyHeader;

// The rules of resuming a cut download: which replies allow it, the request
// that asks for the rest, the reply that may continue the part, and the record
// kept beside the part.

// A part of a file and what it is a part of.
struct ResumeRecord
{
    QString url;       // the submission's address
    QString validator; // sent in If-Range: a strong entity tag or a Last-Modified date
    qint64 total = 0;  // the whole file's size, from the reply the part came from
    qint64 bytes = 0;  // how many of its first bytes the part holds
    QString identity;  // which file on the disk holds them, as it stood when they were kept

    bool operator==(const ResumeRecord &) const = default;
};

// The validator a reply offers for resuming, or an empty text when it offers
// none: it must accept byte ranges and carry a strong entity tag or a
// Last-Modified date that can go into a request line as it is.
QString resumeValidator(const ReplyHeader &header);

// The file's request with the lines that ask for its bytes from offset on,
// unless the file is no longer the one validator names.
QString resumedRequestText(const QString &request, qint64 offset, const QString &validator);

// What the reply to a resumed request means for the part.
struct RangeVerdict
{
    enum class Kind
    {
        Continue, // 206 with exactly the rest: appended to the part
        Restart,  // 200: the whole file comes, the part goes
        Mismatch, // anything that does not continue the part: dropped, asked for whole
        Other,    // not about ranges (a refusal, a busy host): handled as for any request
    };
    Kind kind = Kind::Other;
    QString why; // a Mismatch's reason, for the log
};
RangeVerdict rangeReplyVerdict(const ReplyHeader &header, const ResumeRecord &part);

// The record's text, and the record read back from it; a text that is not
// exactly such a record (or a record that cannot be a part) gives nothing.
QByteArray resumeRecordText(const ResumeRecord &record);
std::optional<ResumeRecord> readResumeRecord(QByteArrayView text);
