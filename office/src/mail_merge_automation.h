// The mail-merge export behind QxMailMergeAutomation: the seven operations of
// a request record, each a short sequence of member calls on the word
// processor's object model (automation/wordprocessor/object_model.h) over a
// connection that the call starts and ends.  qxoffice.h gives the
// operations and results.
#pragma once

#include <functional>

#include "automation/dispatch.h"
#include "qxoffice.h"

namespace qx::office {

class MailMergeAutomation {
 public:
  // Starts a word-processor server: kOk and its application object, or a
  // failure code.
  using ServerStarter = std::function<automation::HResult(automation::DispatchPtr*)>;

  // `start` defaults to the registered "Quarlex.WordProcessor" server.
  explicit MailMergeAutomation(ServerStarter start = {});

  // Runs the operation the request names and returns its result
  // (qxoffice.h).  Messages and questions go through automation::ShowMessage.
  // A null request, or operation 6 without its mail record, gives -5 before
  // any server is started.  The server is closed (or left with the user
  // after a hand-over) and released on every way out.  Never throws.
  int Run(MailMergeRequest* request) noexcept;

 private:
  ServerStarter start_;
};

}  // namespace qx::office
