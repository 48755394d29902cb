// SPDX-License-Identifier: MIT
#include "cli/Command.h"
#include "fieldbook/Translation.h"

#include "fieldbook/TextConversions.h"

#include <new>
#include <ostream>
#include <stdexcept>

namespace velmora::cli {

int ReportFailure(const std::exception_ptr& failure, std::string_view usage,
                  const std::string& fieldBook, std::ostream& err)
{
    try {
        std::rethrow_exception(failure);
    } catch (const UsageError& error) {
        err << "velmora-tesk-cli: " << error.message << "\n" << usage;
        return kUsageError;
    } catch (const std::bad_alloc&) {
        // The field book is what was too large to work on: the message names it.
        err << "velmora-tesk-cli: "
            << (fieldBook.empty()
                    ? std::string(Tr("out of memory"))
                    : Fill(Tr("cannot work on {1}: out of memory"), {ControlCharactersShown(fieldBook)}))
            << "\n";
        return kFileError;
    } catch (const std::logic_error& error) {
        // Nothing the user gave causes this: it is a fault of ours, and no file is to blame.
        err << "velmora-tesk-cli: "
            << Fill(Tr("internal error (a fault of the program, please report it): {1}"), {error.what()})
            << "\n";
        return kInternalError;
    } catch (const std::exception& error) {
        err << "velmora-tesk-cli: " << error.what() << "\n";
        return kFileError;
    }
}

}  // namespace velmora::cli
