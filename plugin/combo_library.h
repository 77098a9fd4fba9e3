#pragma once
// The library object of this plug-in: its actions are Combo actions that run
// the operation table, its windows the service windows and the goods import.
#include <memory>
#include <string>

#include "action/library.h"

namespace zt {

class LinkFactory;

class TZTComboLibrary : public TZTLibrary {
public:
    using TZTLibrary::TZTLibrary;
    std::unique_ptr<TZTActionBase> UtworzAkcje(std::int32_t session) override;
    int PokazOkno(TZTActionBase& action, int window, bool editable, std::int32_t* operation,
                  const NazwaOperacji& setName) override;
    // Where the actions get their lines (tests hand in their own); null: real ports and sockets.
    void UstawFabrykeLaczy(std::shared_ptr<LinkFactory> factory) { linkFactory_ = std::move(factory); }

private:
    std::shared_ptr<LinkFactory> linkFactory_;
};

}  // namespace zt
