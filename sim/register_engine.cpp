// Commands of the simulated register, faults and the repeated-request cache.
#include "sim/register_engine.h"

#include <algorithm>
#include <optional>

#include "platform/exception.h"
#include "proto/framing.h"
#include "sim/sales.h"

namespace zt::sim {
namespace {

using F = TComboFraming;

std::string B(unsigned v) { return F::EncodeB(static_cast<std::uint8_t>(v)); }
std::string V(unsigned v) { return F::EncodeV(static_cast<std::uint16_t>(v)); }
std::string L(std::uint32_t v) { return F::EncodeL(v); }
std::string N(std::int64_t v) { return F::EncodeN(v); }
std::string S(const std::string& v) { return F::EncodeS(v); }

// A request field the command needs is missing or of another type.
struct BadRequest {
    std::uint16_t code;
};

class Args {
public:
    explicit Args(const TComboDataSet& d) : d_(d) {}
    const TComboData& at(std::size_t i, char type) const {
        if (i >= d_.Count()) throw BadRequest{code::kMissingData};
        if (d_[i].Type() != type) throw BadRequest{code::kBadType};
        return d_[i];
    }
    std::uint8_t b(std::size_t i) const { return at(i, 'B').AsB(); }
    std::uint16_t v(std::size_t i) const { return at(i, 'V').AsV(); }
    std::string s(std::size_t i) const { return at(i, 'S').AsS(); }
    std::int64_t n(std::size_t i) const { return at(i, 'N').AsN64(); }
    std::size_t count() const { return d_.Count(); }

private:
    const TComboDataSet& d_;
};

}  // namespace

std::string describeFields(const TComboDataSet& d) {
    std::string out;
    for (std::size_t i = 0; i < d.Count(); ++i) {
        if (i) out += ' ';
        const auto& f = d[i];
        out += f.Type();
        out += ':';
        switch (f.Type()) {
            case 'S': out += '"' + f.AsS() + '"'; break;
            case 'B': out += std::to_string(f.AsB()); break;
            case 'V': out += std::to_string(f.AsV()); break;
            case 'L': out += std::to_string(f.AsL()); break;
            default: out += std::to_string(f.AsN64());
        }
    }
    return out;
}

RegisterEngine::RegisterEngine(RegisterState state) : state_(std::move(state)) {}

void RegisterEngine::setState(RegisterState s) {
    state_ = std::move(s);
    pluCursor_ = packCursor_ = groupCursor_ = unitCursor_ = receiptCursor_ = 0;
    haveLast_ = false;
}

void RegisterEngine::setFaults(Faults f) {
    faults_ = std::move(f);
    resetFaultCounts();
}

void RegisterEngine::resetFaultCounts() {
    executionFired_.assign(faults_.executionErrors.size(), 0);
    frames_ = answers_ = served_ = commands_ = 0;
    haveCommand_ = false;
    lineDead_ = false;
}

RegisterEngine::Answer RegisterEngine::status(std::uint16_t t, std::uint16_t w) const {
    return {0, {B(0), V(t), V(w)}};
}

std::string RegisterEngine::wireOf(std::uint32_t seq, const Answer& a, std::string& note) {
    ++answers_;
    std::uint32_t sentSeq = seq;
    if (faults_.wrongSequence.hits(answers_)) {
        sentSeq = (seq + 1) % kSequenceLimit;
        note += "wrong sequence;";
    }
    std::string logical = buildFrame(0, sentSeq, a.code, a.fields);
    if (faults_.badCrc.hits(answers_)) {
        logical[logical.size() - 3] = static_cast<char>(logical[logical.size() - 3] ^ 0x5A);
        note += "bad CRC;";
    }
    std::string wire;
    if (faults_.garbage.hits(answers_)) {
        wire = faults_.garbageBytes;
        note += "garbage;";
    }
    return wire + stuff(logical);
}

EngineOutput RegisterEngine::handleFrame(std::string_view logical) {
    EngineOutput out;
    if (!checkCrc(logical)) {
        ++ignoredFrames_;
        return out;
    }
    TComboDataSet req;
    try {
        req.ParseFromPacket(logical, nullptr);
    } catch (const Exception&) {
        ++ignoredFrames_;
        return out;
    }
    if (lineDead_) return out;
    ++frames_;

    JournalEntry e;
    e.sequence = frameSequence(logical);
    e.code = frameCommand(logical);
    e.name = std::string(CommandName(e.code));
    e.fields = describeFields(req);
    e.repeated = (frameFlags(logical) & kFlagRepeated) != 0;

    // Every send of one command carries its sequence number.
    if (!haveCommand_ || e.sequence != commandSeq_ || e.code != commandCode_) {
        ++commands_;
        haveCommand_ = true;
        commandSeq_ = e.sequence;
        commandCode_ = e.code;
    }
    e.command = commands_;
    const CommandFault* commandFault = nullptr;
    for (const auto& cf : faults_.commandFaults)
        if (cf.command == commands_) commandFault = &cf;
    using Kind = CommandFault::Kind;

    std::vector<Answer> answers;
    const bool complex = IsComplexCommand(e.code);
    if (commandFault && commandFault->kind == Kind::TransmissionStatus) {
        answers = {status(commandFault->code, 0)};
        e.note += "transmission status;";
    } else if (e.repeated && haveLast_ && e.sequence == lastSeq_ && e.code == lastCode_) {
        // Answered once already: the register sends the same answer again.
        e.fromCache = true;
        answers = {lastAnswers_.back()};
    } else if (faults_.transmissionError.hits(answers_ + 1)) {
        // Not taken: the request is neither run nor remembered.
        answers = {status(faults_.transmissionStatus, 0)};
        e.note += "transmission status;";
    } else {
        std::optional<Answer> refused;
        if (commandFault && commandFault->kind == Kind::Refuse) {
            refused = status(0, commandFault->code);
            e.note += "execution error;";
        }
        for (std::size_t i = 0; i < faults_.executionErrors.size() && !refused; ++i) {
            const auto& x = faults_.executionErrors[i];
            if (x.command != e.code || (x.times != 0 && executionFired_[i] >= x.times)) continue;
            if (x.plu && (req.Count() == 0 || req[0].Type() != 'V' || req[0].AsV() != *x.plu)) continue;
            ++executionFired_[i];
            refused = status(0, x.code);
            e.note += "execution error;";
        }
        if (refused) {
            answers = {*refused};
        } else {
            Answer a = run(e.code, req);
            if (complex && a.code == e.code) answers.push_back({1, {}});
            answers.push_back(std::move(a));
        }
        haveLast_ = true;
        lastSeq_ = e.sequence;
        lastCode_ = e.code;
        lastAnswers_ = answers;
    }

    const Answer& last = answers.back();
    e.answerCode = last.code;
    if (last.code == 0 && last.fields.size() == 3) {
        TComboData t, w;
        t.Set(last.fields[1]);
        w.Set(last.fields[2]);
        e.statusT = t.AsV();
        e.statusW = w.AsV();
    }

    if (faults_.noAnswer.hits(frames_) || (commandFault && commandFault->kind == Kind::LoseAnswers)) {
        e.note += "no answer;";
    } else {
        for (std::size_t i = 0; i < answers.size(); ++i) {
            Reply r;
            r.delayMs = faults_.answerDelayMs + (i > 0 ? complexDelayMs_ : 0);
            r.wire = wireOf(e.sequence, answers[i], e.note);
            out.replies.push_back(std::move(r));
        }
        ++served_;
        if (faults_.disconnectAfter != 0 && served_ == faults_.disconnectAfter) {
            out.disconnect = true;
            lineDead_ = true;
            e.note += "disconnect;";
        }
    }
    if (!e.note.empty()) e.note.pop_back();
    journal_.add(std::move(e));
    return out;
}

RegisterEngine::Answer RegisterEngine::run(std::uint16_t c, const TComboDataSet& req) {
    Args a(req);
    auto& s = state_;
    auto ok = [&](std::vector<std::string> f = {}) { return Answer{c, std::move(f)}; };
    if (auto layout = RequestLayout(c)) {
        // Field by field as the register parses them, then the surplus: a
        // missing field W 3013, a field of another type W 3011, one too many W 3012.
        for (std::size_t i = 0; i < layout->size(); ++i) {
            if (i >= req.Count()) return status(0, code::kMissingData);
            if (req[i].Type() != (*layout)[i]) return status(0, code::kBadType);
        }
        if (req.Count() > layout->size()) return status(0, code::kTooManyFields);
    }
    try {
        switch (c) {
            case cmdTIMEGET: {
                auto t = s.now();
                return ok({B(t.hour), B(t.minute), B(t.second)});
            }
            case cmdDATEGET: {
                auto t = s.now();
                return ok({B(t.day), B(t.month), V(t.year)});
            }
            case cmdHEADERGET: {
                // As many lines as fit one answer; field 0 counts the lines sent.
                const std::size_t n = std::min(s.header.size(), (TComboDataSet::kMaxFields - 1) / 2);
                std::vector<std::string> f{B(n)};
                for (std::size_t i = 0; i < n; ++i) {
                    f.push_back(B(i + 1));  // line attributes: its number
                    f.push_back(S(s.header[i]));
                }
                return ok(f);
            }
            case cmdVATGET: {
                std::vector<std::string> f;
                for (int v : s.vat) f.push_back(V(static_cast<std::uint16_t>(v)));
                return ok(f);
            }
            case cmdCASHREGPARGET: return ok({S(s.registerNumber)});
            case cmdCASHREGSTATUSGET: {
                const auto& d = s.fiscalised;
                return ok({B(s.typeCode),
                           S(s.registerNumber),
                           V(s.loggedCashier),
                           B(s.workMode),
                           B(0),
                           B(0),
                           B(0),
                           B(d.day),
                           B(d.month),
                           V(d.year),
                           B(d.hour),
                           B(d.minute),
                           B(d.second),
                           V(0),
                           V(0),
                           V(0),
                           B(0),
                           B(0),
                           B(0),
                           S(s.nip),
                           S(s.uniqueNumber),
                           S(s.firmware)});
            }
            case cmdDBSTATUSGET: {
                const auto& d = s.databases;
                std::size_t barcodes = 0;
                for (const auto& g : s.goods) barcodes += 1 + g.extraBarcodes.size();
                return ok({B(0),
                           B(s.totalizersNonZero ? 1 : 0),
                           V(d.packages),
                           V(s.packages.size()),
                           V(d.keys),
                           V(d.keysUsed),
                           V(d.cashiers),
                           V(s.cashiers.size()),
                           V(d.payForms),
                           V(s.payForms.size()),
                           V(d.discounts),
                           V(d.discountsUsed),
                           V(d.plu),
                           V(s.goods.size()),
                           V(d.groups),
                           V(s.groups.size()),
                           V(d.units),
                           V(s.units.size()),
                           V(d.barcodes),
                           V(barcodes),
                           V(d.barcodeFormats),
                           V(d.barcodeFormatsUsed)});
            }
            case cmdDISCNTCARDCFGGETEX: return ok({B(1), B(0), V(0), S(s.cardFormat)});
            case cmdREPFSKDAILY: {
                runDailyReport(s, {a.v(2), a.b(1), a.b(0), a.b(3), a.b(4), 0});
                return ok();
            }
            case cmdREPFSKMONTHLY:
            case cmdREPCOMM: return ok();
            case cmdCNTXPLUINIT: pluCursor_ = 0; return ok();
            case cmdCNTXPACKINIT: packCursor_ = 0; return ok();
            case cmdCNTXGROUPINIT: groupCursor_ = 0; return ok();
            case cmdCNTXMUINIT: unitCursor_ = 0; return ok();
            case cmdPLUREAD:
            case cmdPLUSTATREAD: {
                const PluRecord* r = nullptr;
                if (std::uint16_t n = a.v(0); n != 0) {
                    r = s.findPlu(n);
                    if (!r) return status(0, code::kNoRecord);
                } else {
                    if (pluCursor_ >= s.goods.size()) return status(0, code::kEndOfContext);
                    r = &s.goods[pluCursor_++];
                }
                if (c == cmdPLUSTATREAD)
                    return ok({V(r->plu), N(r->salesValue), N(r->salesQuantity), N(r->stock), B(r->lastSale.day),
                               B(r->lastSale.month), V(r->lastSale.year)});
                std::vector<std::string> f{V(r->plu),      S(r->name),    S(r->barcode),
                                           N(r->minStock), B(r->setFlag), B(r->vatSlot)};
                if (r->setFlag)
                    f.insert(f.end(), {B(r->discountNumber), B(r->discountAllowed)});
                else
                    f.insert(f.end(), {N(r->price), B(r->package), B(r->unit), B(r->quantityFormat), B(r->fixedPrice),
                                       B(r->discountNumber), B(r->group), B(r->discountAllowed)});
                // The count announces only the barcodes that fit the answer.
                const std::size_t extra = std::min(r->extraBarcodes.size(), TComboDataSet::kMaxFields - f.size() - 1);
                f.push_back(V(extra));
                for (std::size_t i = 0; i < extra; ++i) f.push_back(S(r->extraBarcodes[i]));
                return ok(f);
            }
            case cmdPACKREAD:
            case cmdPACKSTATREAD: {
                const PackageRecord* r = nullptr;
                if (std::uint16_t n = a.v(0); n != 0) {
                    r = s.findPackage(n);
                    if (!r) return status(0, code::kNoRecord);
                } else {
                    if (packCursor_ >= s.packages.size()) return status(0, code::kEndOfContext);
                    r = &s.packages[packCursor_++];
                }
                if (c == cmdPACKSTATREAD)
                    return ok({V(r->number), N(r->quantitySold), N(r->quantityReturned), N(r->valueSold),
                               N(r->valueReturned), N(r->stock)});
                return ok({V(r->number), S(r->name), S(r->barcode), N(r->price), N(r->minStock), B(r->fixedPrice)});
            }
            case cmdGROUPREAD: {
                const GroupRecord* r = nullptr;
                if (std::uint16_t n = a.v(0); n != 0) {
                    auto it =
                        std::find_if(s.groups.begin(), s.groups.end(), [&](const auto& g) { return g.number == n; });
                    if (it == s.groups.end()) return status(0, code::kNoRecord);
                    r = &*it;
                } else {
                    if (groupCursor_ >= s.groups.size()) return status(0, code::kEndOfContext);
                    r = &s.groups[groupCursor_++];
                }
                return ok({V(r->number), S(r->name)});
            }
            case cmdMUREAD: {
                const UnitRecord* r = nullptr;
                if (std::uint16_t n = a.v(0); n != 0) {
                    auto it =
                        std::find_if(s.units.begin(), s.units.end(), [&](const auto& u) { return u.number == n; });
                    if (it == s.units.end()) return status(0, code::kNoRecord);
                    r = &*it;
                } else {
                    if (unitCursor_ >= s.units.size()) return status(0, code::kEndOfContext);
                    r = &s.units[unitCursor_++];
                }
                return ok({V(r->number), S(r->name), S(r->shortName)});
            }
            case cmdUSERREAD: {
                const auto* r = s.findCashier(a.v(0));
                if (!r) return status(0, code::kNoUser);
                return ok({V(r->number), S(r->name), S(r->identifier), S(r->cardCode), V(r->rights)});
            }
            case cmdUSERSTATREAD: {
                std::uint16_t n = a.v(0);
                if (!s.findCashier(n)) return status(0, code::kNoUser);
                SessionStats x = n == s.loggedCashier ? s.session : SessionStats{};
                std::vector<std::string> f{V(n),
                                           N(x.discounts),
                                           N(x.markups),
                                           L(x.loginSeconds),
                                           N(x.packagesSold),
                                           N(x.packagesReturned),
                                           N(x.payIns),
                                           N(x.payOuts),
                                           N(x.sales),
                                           L(x.receipts),
                                           L(x.cancelledReceipts),
                                           N(x.cancelledValue),
                                           L(x.voidedLines),
                                           N(x.voidedValue),
                                           N(0),
                                           N(0)};
                std::size_t count = std::min<std::size_t>(x.payments.size(), (TComboDataSet::kMaxFields - 18) / 2);
                f.push_back(B(count));
                f.push_back(B(0));
                for (std::size_t i = 0; i < count; ++i) {
                    f.push_back(V(x.payments[i].type));
                    f.push_back(N(x.payments[i].amount));
                }
                return ok(f);
            }
            case cmdPAYFORMREAD: {
                const auto* r = s.findPayForm(a.v(0));
                if (!r) return status(0, code::kNoRecord);
                return ok({V(r->number), S(r->name), B(r->type), V(r->flags), S(r->shortName), N(r->rate)});
            }
            case cmdPLUINS: {
                PluRecord r;
                r.plu = a.v(0), r.name = a.s(1), r.barcode = a.s(2), r.price = a.n(3), r.minStock = a.n(4);
                r.package = a.b(5), r.unit = a.b(6), r.setFlag = a.b(7), r.group = a.b(8), r.vatSlot = a.b(9);
                r.quantityFormat = a.b(10), r.fixedPrice = a.b(11), r.discountAllowed = a.b(12);
                r.discountNumber = a.b(13);
                if (r.name.empty()) return status(0, code::kEmptyName);
                if (r.vatSlot >= s.vat.size() || s.vat[r.vatSlot] == RegisterState::kVatInactive)
                    return status(0, code::kBadVat);
                // A barcode identifies one PLU.
                if (!r.barcode.empty())
                    for (const auto& g : s.goods)
                        if (g.plu != r.plu &&
                            (g.barcode == r.barcode || std::find(g.extraBarcodes.begin(), g.extraBarcodes.end(),
                                                                 r.barcode) != g.extraBarcodes.end()))
                            return status(0, code::kBarcodeTaken);
                if (auto* old = s.findPlu(r.plu)) {
                    // Reprogramming keeps the sales statistics and extra barcodes.
                    r.salesValue = old->salesValue, r.salesQuantity = old->salesQuantity, r.stock = old->stock;
                    r.lastSale = old->lastSale, r.extraBarcodes = old->extraBarcodes;
                } else if (s.goods.size() >= s.databases.plu) {
                    return status(0, code::kDatabaseFull);
                }
                s.putPlu(std::move(r));
                return ok();
            }
            case cmdPLUPRICEUPDATE: {
                auto* r = s.findPlu(a.v(0));
                if (!r) return status(0, code::kNoRecord);
                r->price = a.n(1);
                return ok();
            }
            case cmdPLUDEL: {
                std::uint16_t n = a.v(0);
                if (!s.findPlu(n)) return status(0, code::kNoRecord);
                std::erase_if(s.goods, [&](const PluRecord& r) { return r.plu == n; });
                pluCursor_ = 0;
                return ok();
            }
            case cmdPLUDELALL:
                s.goods.clear();
                pluCursor_ = 0;
                return ok();
            case cmdPLUSTATCLEARALL:
                for (auto& r : s.goods) r.salesValue = r.salesQuantity = 0, r.lastSale = {0, 0, 0, 0, 0, 0};
                return ok();
            case cmdPACKINS: {
                PackageRecord r;
                r.number = a.v(0), r.name = a.s(1), r.barcode = a.s(2), r.price = a.n(3), r.minStock = a.n(4);
                r.fixedPrice = a.b(5);
                if (r.name.empty()) return status(0, code::kEmptyName);
                if (auto* old = s.findPackage(r.number)) {
                    r.quantitySold = old->quantitySold, r.quantityReturned = old->quantityReturned;
                    r.valueSold = old->valueSold, r.valueReturned = old->valueReturned, r.stock = old->stock;
                } else if (s.packages.size() >= s.databases.packages) {
                    return status(0, code::kDatabaseFull);
                }
                s.putPackage(std::move(r));
                return ok();
            }
            case cmdPACKDEL: {
                std::uint16_t n = a.v(0);
                if (!s.findPackage(n)) return status(0, code::kNoRecord);
                std::erase_if(s.packages, [&](const PackageRecord& r) { return r.number == n; });
                packCursor_ = 0;
                return ok();
            }
            case cmdPACKDELALL:
                s.packages.clear();
                packCursor_ = 0;
                return ok();
            case cmdPACKSTATCLEARALL:
                for (auto& r : s.packages) r.quantitySold = r.quantityReturned = r.valueSold = r.valueReturned = 0;
                return ok();
            case cmdGROUPINS: {
                GroupRecord r{a.v(0), a.s(1)};
                bool overwrite = a.b(2) != 0;
                bool known = false;
                for (const auto& g : s.groups)
                    if (g.number == r.number) known = true;
                if (known && !overwrite) return status(0, code::kRecordKept);
                if (!known && s.groups.size() >= s.databases.groups) return status(0, code::kDatabaseFull);
                s.putGroup(std::move(r));
                return ok();
            }
            case cmdMUINS: {
                UnitRecord r{a.v(0), a.s(1), a.s(2)};
                const bool known =
                    std::any_of(s.units.begin(), s.units.end(), [&](const auto& u) { return u.number == r.number; });
                if (!known && s.units.size() >= s.databases.units) return status(0, code::kDatabaseFull);
                s.putUnit(std::move(r));
                return ok();
            }
            case cmdUSERINS: {
                CashierRecord r{a.v(0), a.s(1), a.s(2), a.s(3), a.s(4), a.v(5)};
                if (r.name.empty()) return status(0, code::kEmptyName);
                if (!s.findCashier(r.number) && s.cashiers.size() >= s.databases.cashiers)
                    return status(0, code::kDatabaseFull);
                s.putCashier(std::move(r));
                return ok();
            }
            case cmdPAYFORMINS: {
                PayFormRecord r{a.v(0), a.s(1), a.b(2), a.v(3), a.s(4), a.n(5)};
                if (r.name.empty()) return status(0, code::kEmptyName);
                if (!s.findPayForm(r.number) && s.payForms.size() >= s.databases.payForms)
                    return status(0, code::kDatabaseFull);
                s.putPayForm(std::move(r));
                return ok();
            }
            case cmdSALERECGET: {
                // 0 starts the reading at the oldest record; 1 confirms the record
                // delivered last (it leaves the buffer) and moves to the next.
                bool next = a.b(0) != 0;
                if (next && receiptCursor_ == 1 && !s.receipts.empty()) s.receipts.erase(s.receipts.begin());
                if (s.receipts.empty()) {
                    receiptCursor_ = 0;
                    return status(0, code::kNoMoreReceipts);
                }
                receiptCursor_ = 1;
                const auto& r = s.receipts.front();
                std::vector<std::string> f{B(s.receiptAlarm() ? 1 : 0), V(s.receipts.size()), V(r.type)};
                f.insert(f.end(), r.fields.begin(), r.fields.end());
                if (f.size() > TComboDataSet::kMaxFields) f.resize(TComboDataSet::kMaxFields);
                return ok(f);
            }
            default: return status(0, code::kUnknownCommand);
        }
    } catch (const BadRequest& b) {
        return status(0, b.code);
    } catch (const Exception&) {
        return status(0, code::kBadType);
    }
}

}  // namespace zt::sim
