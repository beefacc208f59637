#include "host/db/blocks/BlockRunner.h"

#include "host/db/blocks/BlockInterpreter.h"
#include "host/db/blocks/BlockParser.h"
#include "host/db/engines/PgBlock.h"
#include "platform/core/Exception.h"

#include <QHash>
#include <QMutex>

#include <mutex>

namespace host::db {

namespace {

// Parsed blocks by their text. The module sends the same block shapes again and again (a
// re-sent save, repeated postings in tests and benchmarks); blocks built with literals are
// endless, so the cache is bounded by count and by the text it holds.
// A parsed block and, once a server asked for it, its DO block.
struct Parsed {
    explicit Parsed(std::shared_ptr<const plsql::Program> p) : program(std::move(p)) {}
    std::shared_ptr<const plsql::Program> program;

    const DoBlock& ServerBlock() const
    {
        std::call_once(emitted_, [this] { doBlock_ = EmitDoBlock(*program); });
        return *doBlock_;
    }

private:
    mutable std::once_flag emitted_;
    mutable std::shared_ptr<const DoBlock> doBlock_;
};

class BlockCache {
public:
    std::shared_ptr<const Parsed> Get(const QString& text)
    {
        // A long block is a bill's save with its lines written in: never sent twice, and kept
        // it would hold megabytes and push out the short blocks that do come again.
        if (text.size() > MaxCachedText)
            return std::make_shared<const Parsed>(plsql::ParseBlock(text));
        {
            QMutexLocker lock(&mutex_);
            const auto it = map_.constFind(text);
            if (it != map_.constEnd())
                return *it;
        }
        // Parsed outside the lock: two threads may parse the same text once each, harmlessly.
        auto program = std::make_shared<const Parsed>(plsql::ParseBlock(text));
        QMutexLocker lock(&mutex_);
        if (map_.size() >= MaxBlocks || chars_ + text.size() > MaxChars) {
            map_.clear();
            chars_ = 0;
        }
        if (!map_.contains(text)) {
            map_.insert(OwnedText(text), program);
            chars_ += text.size();
        }
        return program;
    }

private:
    static constexpr int MaxBlocks = 256;
    static constexpr qsizetype MaxCachedText = 64 * 1024;
    static constexpr qint64 MaxChars = 8 * 1024 * 1024;
    QMutex mutex_;
    QHash<QString, std::shared_ptr<const Parsed>> map_;
    qint64 chars_ = 0;
};

BlockCache& Cache()
{
    static BlockCache cache;
    return cache;
}

int SkipSpaceAndComments(const QString& sql, int i)
{
    const int n = sql.size();
    for (;;) {
        while (i < n && sql[i].isSpace())
            ++i;
        if (i + 1 < n && sql[i] == u'-' && sql[i + 1] == u'-') {
            while (i < n && sql[i] != u'\n')
                ++i;
        } else if (i + 1 < n && sql[i] == u'/' && sql[i + 1] == u'*') {
            const int end = sql.indexOf(QLatin1String("*/"), i + 2);
            if (end < 0)
                return n;
            i = end + 2;
        } else {
            return i;
        }
    }
}

} // namespace

bool IsBlock(const QString& sql)
{
    // The first word decides, so plain statements never pay for a parse.
    const int i = SkipSpaceAndComments(sql, 0);
    int j = i;
    while (j < sql.size() && (sql[j].isLetterOrNumber() || sql[j] == u'_' || sql[j] == u'$' || sql[j] == u'#'))
        ++j;
    const QStringView word = QStringView(sql).mid(i, j - i);
    return word.compare(QLatin1String("begin"), Qt::CaseInsensitive) == 0
        || word.compare(QLatin1String("declare"), Qt::CaseInsensitive) == 0;
}

void RunBlock(Connection& c, const QString& block)
{
    // Parsed first on every engine: what the parser refuses (commit inside the block, nesting
    // past the limit, an unknown construct) is refused before anything is sent.
    const std::shared_ptr<const Parsed> parsed = Cache().Get(block);
    const plsql::Program& program = *parsed->program;
    // The one place a block's back end is chosen. On PostgreSQL the block runs on the server as
    // one DO block, unless it holds a construct the DO block cannot express (DoBlock::fallback).
    if (c.GetEngine() == Engine::PostgreSQL) {
        const DoBlock& server = parsed->ServerBlock();
        if (server.fallback.isEmpty()) {
            RunDoBlock(c, program, server);
            return;
        }
    }
    // SQLite binds an insert's literals: a bill's lines share one prepared statement.
    // PostgreSQL reads a literal by the column it goes to (a decimal into a text column keeps
    // its trailing zeros), so it takes the text as written.
    plsql::RunOptions options;
    options.bindInsertLiterals = c.GetEngine() == Engine::SQLite;
    plsql::RunProgram(c, program, options);
}

} // namespace host::db
