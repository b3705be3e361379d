#include "encoder/port_messages.h"

namespace wellvue {

std::string open_failure_text(OpenFailure failure, const std::string& port_name,
                              const std::vector<std::string>& holders) {
  const std::string port = "<" + port_name + ">";
  switch (failure) {
    case OpenFailure::None:
      return {};
    case OpenFailure::NoDevice:
      return "Le port " + port +
             " n'existe pas : encodeur d\xE9"
             "branch\xE9 ou autre nom de port "
             "(voir \"liste  COM disponibles\").";
    case OpenFailure::Permission:
      return "Acc\xE8s refus\xE9 au port " + port +
             " : l'utilisateur doit faire partie du groupe dialout.\n"
             "Commande : sudo usermod -aG dialout $USER  puis fermer la session et se reconnecter.";
    case OpenFailure::Busy: {
      std::string text = "Le port " + port + " est d\xE9j\xE0 utilis\xE9 par un autre programme";
      if (!holders.empty()) {
        text += " : ";
        for (std::size_t i = 0; i < holders.size(); ++i) text += (i ? ", " : "") + holders[i];
      }
      return text + ". Fermer ce programme puis cliquer OpenCom.";
    }
    case OpenFailure::NotSerial:
      return port + " n'est pas un port s\xE9rie.";
    case OpenFailure::Other:
      break;
  }
  return "Le port " + port + " ne s'ouvre pas.";
}

}  // namespace wellvue
