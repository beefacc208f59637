#include "host/db/ServerRights.h"

namespace host::db {

namespace {

// The module writes these columns and no others (the editor's save, the bill commands, audit,
// un-audit and posting); the host counts bill numbers in sys_counter.
const char* const BillHeadInsert = "ID, BillNo, BillDate, Src_StorageCode, Des_StorageCode, GoodsCount, BillSum, BillStatus, "
                                   "AuditFlag, Remark, OptorCode, Create_time, modified_time, DELETED";
const char* const BillHeadUpdate = "BillDate, BillSum, GoodsCount, Src_StorageCode, Des_StorageCode, Remark, DELETED, "
                                   "AuditFlag, BillStatus, Auditor, AuditDate, modified_time";
const char* const BillLineInsert = "ID, BillID, BillNo, GoodsCode, GoodsName, CalUnit, Model, Brand, GoodsPrice, GoodsCount, "
                                   "PaySum, Remark, OptorCode, Create_time, modified_time, DELETED";
const char* const StockHeadInsert = "ID, BillNo, BillDate, BillType, StorageCode, SrcBillNo, SrcBillType, GoodsCount, BillSum, "
                                    "BillStatus, AuditFlag, Auditor, AuditDate, Remark, OptorCode, Create_time, modified_time, "
                                    "deleted";
const char* const StockLineInsert = "ID, BillID, BillNo, BillType, GoodsCode, GoodsName, CalUnit, Model, Brand, GoodsPrice, "
                                    "GoodsCount, PaySum, Remark, OptorCode, Create_time, modified_time, deleted";
const char* const StockInsert = "ID, StorageID, StorageCode, GoodsID, GoodsCode, LeftCount, Create_time, Deleted";

// Every function of the server's rights runs as its owner with the schema pinned, so that no
// object a clerk could make is found first.
QString Definer(const QString& schema)
{
    return QStringLiteral(" SECURITY DEFINER SET search_path = %1, pg_temp ").arg(schema);
}

// The prologue of a rule trigger: the owner and other trusted roles pass; a clerk's session
// must be bound to an operator (s.code, s.id).
const char* const ClerkPrologue =
    "  IF NOT jxc_is_clerk() THEN RETURN CASE WHEN TG_OP = 'DELETE' THEN OLD ELSE NEW END; END IF;\n"
    "  SELECT * INTO s FROM jxc_session_operator();\n"
    "  IF s.code IS NULL THEN\n"
    "    RAISE EXCEPTION '没有登录的操作员，不能修改数据' USING ERRCODE = '42501';\n"
    "  END IF;\n";

// True when a change touches more than the columns a step may change.
QString OnlyChanged(const char* columns)
{
    return QStringLiteral("(to_jsonb(NEW) - '{%1}'::text[]) IS DISTINCT FROM (to_jsonb(OLD) - '{%1}'::text[])")
        .arg(QLatin1String(columns));
}

QString Refuse(const char* text, const char* args = nullptr)
{
    return QStringLiteral("RAISE EXCEPTION '%1'%2 USING ERRCODE = '42501';")
        .arg(QString::fromUtf8(text), args ? QStringLiteral(", ") + QLatin1String(args) : QString());
}

// The sessions and the audit trail: who the session is, and the log written as the owner.
QStringList SessionStatements(const QString& schema)
{
    const QString definer = Definer(schema);
    QStringList out;
    out << QStringLiteral("CREATE TABLE IF NOT EXISTS sys_session (TokenHash BYTEA PRIMARY KEY, OperatorID BIGINT NOT NULL, "
                          "OperatorCode VARCHAR(32) NOT NULL, LoginAt TIMESTAMP(0) NOT NULL)");
    // The waits after a failure are counted to the fraction of a second: a try a moment after
    // a failure must still find its wait ahead of it.
    out << QStringLiteral("ALTER TABLE sys_password ALTER COLUMN NextTry TYPE TIMESTAMP, ALTER COLUMN LockedUntil TYPE TIMESTAMP");
    // The tests every row's triggers make are SQL functions of one expression, which the server
    // writes into the trigger's own expression (inlines) instead of calling; a superuser's or the
    // owner's session passes at the first test.
    out << QStringLiteral(
        "CREATE OR REPLACE FUNCTION jxc_is_clerk() RETURNS boolean LANGUAGE sql STABLE AS $f$\n"
        "  SELECT CASE WHEN current_setting('is_superuser') = 'on' THEN false\n"
        "    WHEN to_regrole('%1') IS NULL THEN false\n"
        "    ELSE pg_has_role(session_user, '%1', 'MEMBER') END\n"
        "$f$")
               .arg(QLatin1String(ClerkGroup));
    out << QStringLiteral(
               "CREATE OR REPLACE FUNCTION jxc_session_operator(OUT code text, OUT id bigint) LANGUAGE plpgsql STABLE\n"
               "  SECURITY DEFINER AS $f$\n"
               "DECLARE t text := current_setting('jxc.session', true);\n"
               "BEGIN\n"
               "  IF coalesce(t, '') = '' THEN RETURN; END IF;\n"
               "  SELECT OperatorCode, OperatorID INTO code, id FROM %1.sys_session WHERE TokenHash = sha256(convert_to(t, 'UTF8'));\n"
               "END $f$")
               .arg(schema);
    // Not a definer either: the owner's and a superuser's rows need no lookup.
    out << QStringLiteral(
        "CREATE OR REPLACE FUNCTION jxc_audit_operator() RETURNS text LANGUAGE sql STABLE AS $f$\n"
        "  SELECT CASE WHEN coalesce(current_setting('jxc.session', true), '') <> '' THEN (%1.jxc_session_operator()).code\n"
        "    WHEN %1.jxc_is_clerk() THEN NULL\n"
        "    ELSE nullif(current_setting('jxc.operator', true), '') END\n"
        "$f$")
               .arg(schema);
    // The audit trail's trigger: the row before and after as JSON, the operator bound to the
    // session, the database role and the client's address. It runs as the owner, so the clerks
    // can neither read nor write the log themselves; its names are written with their schema in
    // place of a pinned search path, for the same reason as above.
    out << QStringLiteral(
               "CREATE OR REPLACE FUNCTION jxc_audit() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER AS $f$\n"
               "DECLARE o jsonb; n jsonb;\n"
               "BEGIN\n"
               "  IF TG_OP <> 'INSERT' THEN o := to_jsonb(OLD); END IF;\n"
               "  IF TG_OP <> 'DELETE' THEN n := to_jsonb(NEW); END IF;\n"
               "  INSERT INTO %1.sys_auditlog (ChangedAt, OperatorCode, DbRole, ClientAddr, TableName, Action, BillNo,\n"
               "    SrcBillNo, RowID, OldValues, NewValues)\n"
               "  VALUES (localtimestamp(0), %1.jxc_audit_operator(), session_user, coalesce(host(inet_client_addr()), 'local'),\n"
               "    TG_TABLE_NAME, lower(TG_OP), coalesce(n->>'billno', o->>'billno'), coalesce(n->>'srcbillno', o->>'srcbillno'),\n"
               "    coalesce(n->>'id', o->>'id')::bigint, o::text, n::text);\n"
               "  RETURN NULL;\n"
               "END $f$")
               .arg(schema);
    for (const char* t : {"Sto_AdjustBillMain", "Sto_AdjustBillDetail", "Gds_StockCount", "Sto_GdsBillMain", "Sto_GdsBillDetail"})
        out << QStringLiteral("CREATE OR REPLACE TRIGGER jxc_audit AFTER INSERT OR UPDATE OR DELETE ON %1 FOR EACH ROW "
                              "EXECUTE FUNCTION jxc_audit()")
                   .arg(QLatin1String(t));
    return out;
}

// The login and the binding of a session to its operator.
QStringList LoginStatements(const QString& schema)
{
    const QString definer = Definer(schema);
    QStringList out;
    // A session is bound by a secret only it holds; a login replaces its earlier binding, and
    // bindings older than a month are dropped.
    out << QStringLiteral(
               "CREATE OR REPLACE FUNCTION jxc_bind_session(p_id bigint, p_code text) RETURNS text LANGUAGE plpgsql%1AS $f$\n"
               "DECLARE t text := replace(gen_random_uuid()::text || gen_random_uuid()::text, '-', '');\n"
               "BEGIN\n"
               "  DELETE FROM sys_session WHERE LoginAt < localtimestamp(0) - interval '30 days'\n"
               "     OR TokenHash = sha256(convert_to(coalesce(current_setting('jxc.session', true), ''), 'UTF8'));\n"
               "  INSERT INTO sys_session (TokenHash, OperatorID, OperatorCode, LoginAt)\n"
               "  VALUES (sha256(convert_to(t, 'UTF8')), p_id, p_code, localtimestamp(0));\n"
               "  PERFORM set_config('jxc.session', t, false);\n"
               "  RETURN t;\n"
               "END $f$")
               .arg(definer);
    out << QStringLiteral(
               "CREATE OR REPLACE FUNCTION jxc_login_settings(p_id bigint) RETURNS text LANGUAGE sql STABLE%1AS $f$\n"
               "  SELECT CASE\n"
               "    WHEN s LIKE '$argon2%' THEN substring(s FROM '^(\\$argon2[a-z0-9]*\\$v=[0-9]+\\$[^$]*\\$[^$]*\\$)')\n"
               "    WHEN s LIKE 'sha256:$argon2%' THEN\n"
               "      'sha256:' || substring(s FROM '^sha256:(\\$argon2[a-z0-9]*\\$v=[0-9]+\\$[^$]*\\$[^$]*\\$)')\n"
               "    WHEN s = '' THEN ''\n"
               "    WHEN lower(s) LIKE 'sha256:%' THEN 'sha256'\n"
               "    ELSE 'plain' END\n"
               "  FROM (SELECT CASE WHEN coalesce(p.PasswordHash, '') <> '' THEN p.PasswordHash ELSE coalesce(o.Password, '') END AS s\n"
               "        FROM sys_operator o LEFT JOIN sys_password p ON p.OperatorID = o.OperatorID\n"
               "        WHERE o.OperatorID = p_id) x\n"
               "$f$")
               .arg(definer);
    return out;
}

// The login itself, as the embedded engine's workstation does it (host/admin/Passwords.cpp),
// with the proof the workstation worked out from the settings in place of the password.
QString LoginFunction(const QString& schema)
{
    return QStringLiteral(
               "CREATE OR REPLACE FUNCTION jxc_login(p_id bigint, p_proof text, p_newhash text,\n"
               "  OUT outcome integer, OUT seconds bigint, OUT token text) LANGUAGE plpgsql%1AS $f$\n"
               "DECLARE\n"
               "  v_code text; v_legacy text; v_exists boolean; v_now timestamp := localtimestamp;\n"
               "  v_hash text := ''; v_failures integer := 0; v_next timestamp; v_locked timestamp; v_stored text; v_ok boolean;\n"
               "BEGIN\n"
               "  outcome := 1; seconds := 0;\n"
               "  SELECT OperatorCode, coalesce(Password, '') INTO v_code, v_legacy FROM sys_operator WHERE OperatorID = p_id;\n"
               "  IF NOT FOUND THEN RETURN; END IF;\n"
               "  SELECT coalesce(PasswordHash, ''), coalesce(Failures, 0), NextTry, LockedUntil\n"
               "    INTO v_hash, v_failures, v_next, v_locked FROM sys_password WHERE OperatorID = p_id FOR UPDATE;\n"
               "  v_exists := FOUND;\n"
               "  IF NOT v_exists THEN v_hash := ''; v_failures := 0; END IF;\n"
               "  IF v_locked IS NOT NULL AND v_now < v_locked THEN\n"
               "    outcome := 3; seconds := greatest(1, ceil(extract(epoch FROM v_locked - v_now)))::bigint; RETURN;\n"
               "  END IF;\n"
               "  IF v_next IS NOT NULL AND v_now < v_next THEN\n"
               "    outcome := 4; seconds := greatest(1, ceil(extract(epoch FROM v_next - v_now)))::bigint; RETURN;\n"
               "  END IF;\n"
               "  v_stored := CASE WHEN v_hash <> '' THEN v_hash ELSE v_legacy END;\n"
               "  IF v_stored = '' THEN\n"
               "    IF EXISTS (SELECT 1 FROM sys_setting WHERE SettingName = 'DemoDatabase' AND SettingValue = '1') THEN\n"
               "      outcome := 0; token := jxc_bind_session(p_id, v_code);\n"
               "    ELSE\n"
               "      outcome := 2;\n"
               "    END IF;\n"
               "    RETURN;\n"
               "  END IF;\n"
               "  IF v_stored LIKE '$argon2%' OR v_stored LIKE 'sha256:$argon2%' THEN v_ok := p_proof = v_stored;\n"
               "  ELSIF lower(v_stored) LIKE 'sha256:%' THEN v_ok := lower(btrim(substr(v_stored, 8))) = lower(p_proof);\n"
               "  ELSE v_ok := p_proof = v_stored;\n"
               "  END IF;\n"
               "  IF v_ok THEN\n"
               "    IF coalesce(p_newhash, '') LIKE '$argon2id$%' THEN v_hash := p_newhash; END IF;\n"
               "    v_failures := 0; v_next := NULL; v_locked := NULL;\n"
               "    IF v_legacy <> '' AND v_hash LIKE '$argon2%' THEN\n"
               "      UPDATE sys_operator SET Password = '' WHERE OperatorID = p_id;\n"
               "    END IF;\n"
               "    outcome := 0; token := jxc_bind_session(p_id, v_code);\n"
               "  ELSE\n"
               "    v_failures := v_failures + 1; v_next := NULL; v_locked := NULL;\n"
               "    IF v_failures >= %2 THEN\n"
               "      v_failures := 0; v_locked := v_now + make_interval(mins => %3); outcome := 3; seconds := %3 * 60;\n"
               "    ELSIF v_failures >= 2 THEN\n"
               "      seconds := 1::bigint << (v_failures - 2); v_next := v_now + make_interval(secs => seconds);\n"
               "    END IF;\n"
               "  END IF;\n"
               "  IF v_exists THEN\n"
               "    UPDATE sys_password SET PasswordHash = v_hash, Failures = v_failures, NextTry = v_next, LockedUntil = v_locked\n"
               "     WHERE OperatorID = p_id;\n"
               "  ELSE\n"
               "    INSERT INTO sys_password (OperatorID, PasswordHash, Failures, NextTry, LockedUntil)\n"
               "    VALUES (p_id, v_hash, v_failures, v_next, v_locked);\n"
               "  END IF;\n"
               "END $f$")
               .arg(Definer(schema))
               .arg(MaxLoginFailures)
               .arg(LockoutMinutes);
}

// The bill rules a clerk's session meets, whatever its client sends.
// The mark of a posting under way, which must end with its bill completed.
QStringList PostingMark(const QString& schema)
{
    const QString definer = Definer(schema);
    QStringList out;
    out << QStringLiteral("CREATE TABLE IF NOT EXISTS sys_posting (TxID XID8 NOT NULL, BillNo VARCHAR(32) NOT NULL, "
                          "PRIMARY KEY (TxID, BillNo))");
    // A posting begun (its stock bills written) must end in the same transaction with its bill
    // completed: else stock could be moved twice for one bill.
    out << QStringLiteral(
               "CREATE OR REPLACE FUNCTION jxc_posting_done() RETURNS trigger LANGUAGE plpgsql%1AS $f$\n"
               "BEGIN\n"
               "  IF EXISTS (SELECT 1 FROM sys_posting WHERE TxID = NEW.TxID AND BillNo = NEW.BillNo) THEN\n"
               "    %2\n"
               "  END IF;\n"
               "  RETURN NULL;\n"
               "END $f$")
               .arg(definer, Refuse("调拨单[%]写了出入库单却没有完成调拨", "NEW.BillNo"));
    out << QStringLiteral("DROP TRIGGER IF EXISTS jxc_posting_done ON sys_posting");
    out << QStringLiteral("CREATE CONSTRAINT TRIGGER jxc_posting_done AFTER INSERT ON sys_posting DEFERRABLE INITIALLY "
                          "DEFERRED FOR EACH ROW EXECUTE FUNCTION jxc_posting_done()");

    return out;
}

// What a workstation role may do to a bill's header, step by step.
QStringList BillGuard(const QString& schema)
{
    const QString definer = Definer(schema);
    const QString prologue = QString::fromUtf8(ClerkPrologue);
    QStringList out;
    out << QStringLiteral(
               "CREATE OR REPLACE FUNCTION jxc_guard_bill() RETURNS trigger LANGUAGE plpgsql%1AS $f$\n"
               "DECLARE s record;\n"
               "BEGIN\n%2"
               "  IF TG_OP = 'DELETE' THEN %3 END IF;\n"
               "  IF TG_OP = 'INSERT' THEN\n"
               "    IF NEW.OptorCode IS DISTINCT FROM s.code THEN %4 END IF;\n"
               "    IF coalesce(NEW.AuditFlag, 0) <> 0 OR coalesce(NEW.BillStatus, 0) <> 0 THEN %5 END IF;\n"
               "    RETURN NEW;\n"
               "  END IF;\n"
               "  IF OLD.BillStatus = 5 THEN %18 END IF;\n"
               "  IF OLD.BillStatus = 4 AND NEW.BillStatus = 5 THEN\n"
               "    IF OLD.OptorCode IS DISTINCT FROM s.code AND NOT EXISTS (SELECT 1 FROM sys_operatorright\n"
               "       WHERE OperatorID = s.id AND PluginID = %10 AND OperateRight = 1) THEN %19 END IF;\n"
               "    IF %15 THEN %8 END IF;\n"
               "    IF NOT EXISTS (SELECT 1 FROM sys_posting WHERE TxID = pg_current_xact_id() AND BillNo = OLD.BillNo) THEN\n"
               "      %20\n"
               "    END IF;\n"
               "    DELETE FROM sys_posting WHERE TxID = pg_current_xact_id() AND BillNo = OLD.BillNo;\n"
               "    RETURN NEW;\n"
               "  END IF;\n"
               "  IF OLD.BillStatus = 4 THEN %6 END IF;\n"
               "  IF coalesce(OLD.AuditFlag, 0) = 0 AND NEW.AuditFlag = 1 THEN\n"
               "    IF %7 OR NEW.BillStatus IS DISTINCT FROM 2 OR coalesce(OLD.DELETED, 0) <> 0 THEN %8 END IF;\n"
               "    IF NEW.Auditor IS DISTINCT FROM s.code THEN %9 END IF;\n"
               "    IF NOT EXISTS (SELECT 1 FROM sys_operatorright WHERE OperatorID = s.id AND PluginID = %10\n"
               "                   AND OperateRight = 1) THEN %11 END IF;\n"
               "    IF EXISTS (SELECT 1 FROM Sto_AdjustBillDetail d JOIN Bas_GoodsInfo g ON g.GoodsCode = d.GoodsCode\n"
               "               WHERE d.BillID = OLD.ID AND coalesce(d.DELETED, 0) = 0 AND NOT EXISTS (\n"
               "                 SELECT 1 FROM sys_operatorgoodstype t WHERE t.OperatorID = s.id AND t.GoodsType = g.GoodsType))\n"
               "    THEN %12 END IF;\n"
               "  ELSIF OLD.AuditFlag = 1 AND coalesce(NEW.AuditFlag, 0) = 0 THEN\n"
               "    IF OLD.Auditor IS DISTINCT FROM s.code THEN %13 END IF;\n"
               "    IF %7 OR coalesce(NEW.BillStatus, 0) <> 0 THEN %8 END IF;\n"
               "  ELSIF OLD.AuditFlag = 1 AND OLD.BillStatus = 2 AND NEW.BillStatus = 4 THEN\n"
               "    IF OLD.OptorCode IS DISTINCT FROM s.code THEN %14 END IF;\n"
               "    IF %15 THEN %8 END IF;\n"
               "    IF NOT EXISTS (SELECT 1 FROM sys_posting WHERE TxID = pg_current_xact_id() AND BillNo = OLD.BillNo) THEN\n"
               "      %16\n"
               "    END IF;\n"
               "    DELETE FROM sys_posting WHERE TxID = pg_current_xact_id() AND BillNo = OLD.BillNo;\n"
               "  ELSIF OLD.AuditFlag = 1 THEN\n"
               "    %17\n"
               "  ELSIF NEW.BillStatus IS DISTINCT FROM OLD.BillStatus OR NEW.OptorCode IS DISTINCT FROM OLD.OptorCode\n"
               "        OR NEW.Auditor IS DISTINCT FROM OLD.Auditor OR NEW.BillNo IS DISTINCT FROM OLD.BillNo THEN\n"
               "    %8\n"
               "  END IF;\n"
               "  RETURN NEW;\n"
               "END $f$")
               .arg(definer, prologue, Refuse("调拨单不能删除，只能标记为删除"),
                    Refuse("新单的操作员必须是登录的操作员[%]", "s.code"), Refuse("新单不能是已审核或已完成的单据"),
                    Refuse("调拨单[%]已完成调拨，不能再修改", "OLD.BillNo"),
                    OnlyChanged("auditflag,billstatus,auditor,auditdate,modified_time"),
                    Refuse("调拨单[%]的这项修改不被允许", "OLD.BillNo"), Refuse("审核人必须是登录的操作员[%]", "s.code"))
               .arg(ServerTransferPluginId)
               .arg(Refuse("操作员[%]没有审核调拨单的权限", "s.code"),
                    Refuse("操作员[%]没有调拨单中商品类别的权限", "s.code"),
                    Refuse("调拨单[%]只能由审核人[%]取消审核", "OLD.BillNo, OLD.Auditor"),
                    Refuse("调拨单[%]只能由操作员[%]调拨", "OLD.BillNo, OLD.OptorCode"), OnlyChanged("billstatus,modified_time"),
                    Refuse("调拨单[%]须同时写出入库单才能完成调拨", "OLD.BillNo"),
                    Refuse("调拨单[%]已审核，不能修改", "OLD.BillNo"))
               .arg(Refuse("调拨单[%]已冲销，不能再修改", "OLD.BillNo"),
                    Refuse("调拨单[%]只能由操作员[%]或有审核权限的操作员冲销", "OLD.BillNo, OLD.OptorCode"),
                    Refuse("调拨单[%]须同时写出入库单才能冲销", "OLD.BillNo"));

    return out;
}

// The lines' guard, the stock bills' and the per-row guards of a posting, and the triggers that
// run them.
QStringList OtherGuards(const QString& schema)
{
    const QString definer = Definer(schema);
    const QString prologue = QString::fromUtf8(ClerkPrologue);
    const QString posting = QStringLiteral("EXISTS (SELECT 1 FROM %1.sys_posting WHERE TxID = pg_current_xact_id())").arg(schema);
    QStringList out;
    out << QStringLiteral(
               "CREATE OR REPLACE FUNCTION jxc_guard_line() RETURNS trigger LANGUAGE plpgsql%1AS $f$\n"
               "DECLARE s record;\n"
               "BEGIN\n%2"
               "  IF EXISTS (SELECT 1 FROM Sto_AdjustBillMain m WHERE (m.AuditFlag = 1 OR m.BillStatus = 4)\n"
               "             AND m.ID IN (CASE WHEN TG_OP <> 'INSERT' THEN OLD.BillID END,\n"
               "                          CASE WHEN TG_OP <> 'DELETE' THEN NEW.BillID END)) THEN\n"
               "    %3\n"
               "  END IF;\n"
               "  RETURN CASE WHEN TG_OP = 'DELETE' THEN OLD ELSE NEW END;\n"
               "END $f$")
               .arg(definer, prologue, Refuse("调拨单已审核，它的商品明细不能修改"));

    out << QStringLiteral(
               "CREATE OR REPLACE FUNCTION jxc_guard_stockbill() RETURNS trigger LANGUAGE plpgsql%1AS $f$\n"
               "DECLARE s record; b record;\n"
               "BEGIN\n%2"
               "  IF TG_OP <> 'INSERT' THEN %3 END IF;\n"
               "  SELECT AuditFlag, BillStatus, OptorCode INTO b FROM Sto_AdjustBillMain\n"
               "   WHERE BillNo = NEW.SrcBillNo AND coalesce(DELETED, 0) = 0;\n"
               "  IF NOT FOUND OR b.AuditFlag IS DISTINCT FROM 1 OR b.BillStatus NOT IN (2, 4) THEN %4 END IF;\n"
               "  IF b.BillStatus = 2 AND b.OptorCode IS DISTINCT FROM s.code THEN %5 END IF;\n"
               "  -- A reversal: the creator, or an operator with the operate right.\n"
               "  IF b.BillStatus = 4 AND b.OptorCode IS DISTINCT FROM s.code AND NOT EXISTS (SELECT 1 FROM sys_operatorright\n"
               "     WHERE OperatorID = s.id AND PluginID = %6 AND OperateRight = 1) THEN %7 END IF;\n"
               "  INSERT INTO sys_posting (TxID, BillNo) VALUES (pg_current_xact_id(), NEW.SrcBillNo) ON CONFLICT DO NOTHING;\n"
               "  RETURN NEW;\n"
               "END $f$")
               .arg(definer, prologue, Refuse("出入库单不能修改或删除"),
                    Refuse("出入库单只能由已审核、未调拨的调拨单生成"),
                    Refuse("调拨单[%]只能由操作员[%]调拨", "NEW.SrcBillNo, b.OptorCode"))
               .arg(ServerTransferPluginId)
               .arg(Refuse("调拨单[%]只能由操作员[%]或有审核权限的操作员冲销", "NEW.SrcBillNo, b.OptorCode"));

    // Stock bill lines and stock counts: only inside a posting begun above. A posting meets these
    // on every row, so their names carry the schema in place of a pinned search path, which the
    // server would set and undo at each row.
    for (const char* name : {"stockline", "stock"}) {
        const bool stock = qstrcmp(name, "stock") == 0;
        out << QStringLiteral(
                   "CREATE OR REPLACE FUNCTION jxc_guard_%1() RETURNS trigger LANGUAGE plpgsql%2AS $f$\n"
                   "BEGIN\n"
                   "  IF NOT %7.jxc_is_clerk() THEN RETURN CASE WHEN TG_OP = 'DELETE' THEN OLD ELSE NEW END; END IF;\n"
                   "  IF TG_OP = 'DELETE' OR (TG_OP = 'UPDATE' AND %3) THEN %4 END IF;\n"
                   "  IF NOT %5 THEN %6 END IF;\n"
                   "  RETURN NEW;\n"
                   "END $f$")
                   .arg(QLatin1String(name), QStringLiteral(" SECURITY DEFINER "),
                        stock ? OnlyChanged("leftcount") : QStringLiteral("true"),
                        stock ? Refuse("库存记录不能删除，库存数量以外的内容不能修改") : Refuse("出入库单不能修改或删除"),
                        posting,
                        stock ? Refuse("库存数量只能在调拨过账时改变") : Refuse("出入库单只能在调拨过账时生成"), schema);
    }
    const char* const guarded[][2] = {{"Sto_AdjustBillMain", "bill"}, {"Sto_AdjustBillDetail", "line"},
                                      {"Sto_GdsBillMain", "stockbill"}, {"Sto_GdsBillDetail", "stockline"},
                                      {"Gds_StockCount", "stock"}};
    for (const auto& g : guarded)
        // The owner's and a superuser's rows do not even enter the trigger.
        out << QStringLiteral("CREATE OR REPLACE TRIGGER jxc_guard BEFORE INSERT OR UPDATE OR DELETE ON %1 FOR EACH ROW "
                              "WHEN (jxc_is_clerk()) EXECUTE FUNCTION jxc_guard_%2()")
                   .arg(QLatin1String(g[0]), QLatin1String(g[1]));
    return out;
}

QString GrantStatements(const QString& schema)
{
    QStringList grants;
    for (const ClerkGrant& g : ClerkGrants()) {
        const bool sequence = qstrcmp(g.privilege, "USAGE") == 0;
        grants << QStringLiteral("GRANT %1%2 ON %3%4 TO %5")
                      .arg(QLatin1String(g.privilege),
                           g.columns ? QStringLiteral(" (%1)").arg(QLatin1String(g.columns)) : QString(),
                           sequence ? QStringLiteral("SEQUENCE ") : QStringLiteral("TABLE "), QLatin1String(g.table),
                           QLatin1String(ClerkGroup));
    }
    // The session-wide advisory locks would let one workstation hold every writer up for good;
    // the transaction-scoped one the service takes stays open (taking them away needs a
    // superuser: the server's own functions are the bootstrap role's).
    const QString advisory = QStringLiteral(
        "pg_advisory_lock(bigint), pg_advisory_lock(integer, integer), pg_advisory_lock_shared(bigint), "
        "pg_advisory_lock_shared(integer, integer), pg_advisory_unlock(bigint), pg_advisory_unlock(integer, integer), "
        "pg_advisory_unlock_shared(bigint), pg_advisory_unlock_shared(integer, integer), pg_advisory_unlock_all(), "
        "pg_try_advisory_lock(bigint), pg_try_advisory_lock(integer, integer), pg_try_advisory_lock_shared(bigint), "
        "pg_try_advisory_lock_shared(integer, integer), pg_advisory_xact_lock(bigint), "
        "pg_advisory_xact_lock_shared(bigint), pg_advisory_xact_lock_shared(integer, integer), "
        "pg_try_advisory_xact_lock(bigint), pg_try_advisory_xact_lock(integer, integer), "
        "pg_try_advisory_xact_lock_shared(bigint), pg_try_advisory_xact_lock_shared(integer, integer)");
    return QStringLiteral(
               "DO $g$\n"
               "DECLARE r record;\n"
               "BEGIN\n"
               "  IF to_regrole('%1') IS NULL THEN\n"
               "    BEGIN\n"
               "      CREATE ROLE %1 NOLOGIN;\n"
               "    EXCEPTION WHEN insufficient_privilege THEN\n"
               "      RAISE WARNING 'the group role %1 does not exist and this role may not make it: no rights were granted';\n"
               "      RETURN;\n"
               "    WHEN duplicate_object OR unique_violation THEN NULL;\n"
               "    END;\n"
               "  END IF;\n"
               "  REVOKE ALL ON ALL TABLES IN SCHEMA %2 FROM %1;\n"
               "  REVOKE ALL ON ALL SEQUENCES IN SCHEMA %2 FROM %1;\n"
               "  REVOKE ALL ON ALL FUNCTIONS IN SCHEMA %2 FROM PUBLIC;\n"
               "  GRANT EXECUTE ON FUNCTION jxc_mod(integer, integer), jxc_mod(bigint, bigint), jxc_mod(numeric, numeric),\n"
               "    jxc_login_settings(bigint), jxc_login(bigint, text, text), jxc_is_clerk(), jxc_audit_operator() TO %1;\n"
               "  GRANT USAGE ON SCHEMA %2 TO %1;\n"
               "  %3;\n"
               "  FOR r IN SELECT m.rolname FROM pg_roles m\n"
               "    WHERE m.rolcanlogin AND NOT m.rolsuper AND pg_has_role(m.oid, '%1', 'MEMBER') LOOP\n"
               "    BEGIN\n"
               "      %4\n"
               "    EXCEPTION WHEN OTHERS THEN\n"
               "      RAISE WARNING 'the timeouts of role % were not set: %', r.rolname, SQLERRM;\n"
               "    END;\n"
               "  END LOOP;\n"
               "  IF (SELECT rolsuper FROM pg_roles WHERE rolname = current_user)\n"
               "     AND (SELECT proacl IS NULL OR 'PUBLIC' = ANY (SELECT CASE WHEN a.grantee = 0 THEN 'PUBLIC' END\n"
               "          FROM aclexplode(proacl) a) FROM pg_proc WHERE oid = 'pg_advisory_lock(bigint)'::regprocedure) THEN\n"
               "    BEGIN\n"
               "      REVOKE EXECUTE ON FUNCTION %5 FROM PUBLIC;\n"
               "    EXCEPTION WHEN OTHERS THEN NULL; -- another session revoked them at the same moment\n"
               "    END;\n"
               "  END IF;\n"
               "END $g$")
        .arg(QLatin1String(ClerkGroup), schema, grants.join(QStringLiteral(";\n  ")),
             QStringLiteral("IF NOT EXISTS (SELECT 1 FROM pg_db_role_setting d WHERE d.setrole = (SELECT oid FROM pg_roles "
                            "WHERE rolname = r.rolname) AND d.setdatabase = 0 AND 'lock_timeout=%1' = ANY (d.setconfig)) THEN "
                            "EXECUTE format('ALTER ROLE %I SET lock_timeout = %L', r.rolname, '%1'); "
                            "EXECUTE format('ALTER ROLE %I SET idle_in_transaction_session_timeout = %L', r.rolname, '%2'); "
                            "END IF;")
                 .arg(QLatin1String(ClerkLockTimeout), QLatin1String(ClerkIdleTimeout)),
             advisory);
}

} // namespace

const std::vector<ClerkGrant>& ClerkGrants()
{
    static const std::vector<ClerkGrant> grants = {
        {"Sto_AdjustBillMain", "SELECT", nullptr},
        {"Sto_AdjustBillMain", "INSERT", BillHeadInsert},
        {"Sto_AdjustBillMain", "UPDATE", BillHeadUpdate},
        {"Sto_AdjustBillDetail", "SELECT", nullptr},
        {"Sto_AdjustBillDetail", "INSERT", BillLineInsert},
        {"Sto_AdjustBillDetail", "UPDATE", "DELETED"},
        {"Sto_AdjustBillDetail", "DELETE", nullptr},
        // Read by the stock ledger.
        {"Sto_GdsBillMain", "SELECT", nullptr},
        {"Sto_GdsBillMain", "INSERT", StockHeadInsert},
        {"Sto_GdsBillDetail", "SELECT", nullptr},
        {"Sto_GdsBillDetail", "INSERT", StockLineInsert},
        {"Gds_StockCount", "SELECT", nullptr},
        {"Gds_StockCount", "INSERT", StockInsert},
        {"Gds_StockCount", "UPDATE", "LeftCount"},
        {"Bas_GoodsInfo", "SELECT", nullptr},
        {"bas_Storage", "SELECT", nullptr},
        {"Sys_DictDetail", "SELECT", nullptr},
        {"bas_goodstype", "SELECT", nullptr},
        // The operators' list without the old password column.
        {"sys_operator", "SELECT", "OperatorID, OperatorCode, OperatorName"},
        {"sys_operatorright", "SELECT", nullptr},
        {"sys_operatorgoodstype", "SELECT", nullptr},
        {"sys_setting", "SELECT", nullptr},
        {"sys_counter", "SELECT", nullptr},
        {"sys_counter", "INSERT", "CounterName, CounterValue"},
        {"sys_counter", "UPDATE", "CounterValue"},
        {"SEQ_JXCID", "USAGE", nullptr},
    };
    return grants;
}

QStringList ServerRightsStatements(const QString& schema)
{
    QStringList out = SessionStatements(schema);
    out << LoginStatements(schema) << LoginFunction(schema) << PostingMark(schema) << BillGuard(schema) << OtherGuards(schema);
    out << GrantStatements(schema);
    return out;
}

QStringList ClerkRoleSettings(const QString& quotedRole)
{
    return {QStringLiteral("ALTER ROLE %1 SET lock_timeout = '%2'").arg(quotedRole, QLatin1String(ClerkLockTimeout)),
            QStringLiteral("ALTER ROLE %1 SET idle_in_transaction_session_timeout = '%2'")
                .arg(quotedRole, QLatin1String(ClerkIdleTimeout))};
}

} // namespace host::db
