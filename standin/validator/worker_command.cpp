#include "standin/validator/worker_command.h"

#include "standin/validator/case_id.h"
#include "standin/validator/worker.h"

namespace standin::validator {

void RunValidateWorker(const ValidateRequest &request) {
    WorkerRequest work{request.module, SeedOf(request), request.worker,        request.channel,
                       std::nullopt,   request.from,    !request.trace.empty()};
    // --case names the check as well; the worker runs that check's cases.
    if (!request.onlyCase.empty()) {
        work.onlyCase = CaseId::Parse(request.onlyCase).parameters.ToString();
    }
    RunWorker(work);
}

}  // namespace standin::validator
