// The AutoCAD LT editions the stand-in imitates, and every text it shows per edition.
// All prompts and messages live in the one table of edition.cpp, so a wording is
// corrected in one place.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace tessavue::sim {

enum class Edition { LT2000, LT2002, LT2006 };

struct EditionTexts {
    std::string_view name;              // option value: "LT2000", "LT2002", "LT2006"
    std::string_view mainTitle;         // main window title
    std::string_view textWindowTitle;   // AutoCAD's text window (history) title
    std::string_view mainClass;         // class of the main window
    std::string_view commandLineClass;  // class of the command-line text window
    std::string_view pasteClass;        // class of the paste window; empty when the edition has none
    std::string_view pasteText;         // text of the paste window

    std::string_view idlePrompt;
    std::string_view cancel;
    std::string_view unknownCommand;    // %s: the command name as typed, upper-cased
    std::string_view pointRequired;     // a point prompt got something that is no point

    std::string_view lineFirstPoint;
    std::string_view lineNextPoint;
    std::string_view lineNextPointClose;
    std::string_view lineNoContinue;    // Enter at the first point with no line drawn before
    std::string_view lineAllUndone;     // "u" with no segment left

    std::string_view selectObjects;
    std::string_view firstCorner;
    std::string_view oppositeCorner;
    std::string_view found;             // %d
    std::string_view foundTotal;        // %d found, %d total
    std::string_view foundDuplicate;    // %d found, %d duplicate, %d total
    std::string_view noPreviousSelection;
    std::string_view invalidSelection;  // an answer that selects nothing known
    std::string_view expectsPointOrKeyword;  // the keywords listed after an invalid selection answer

    std::string_view idPoint;
    std::string_view idResult;          // %s x, %s y, %s z

    std::string_view lastPointPrompt;   // %s: x,y,z of the current value
    std::string_view undoNothing;       // "u" with nothing left to undo

    std::string_view layerCurrent;      // %s: the current layer's name
    std::string_view layerOptions;
    std::string_view layerSetName;      // %s: the current layer's name
    std::string_view layerMakeName;     // %s: the current layer's name
    std::string_view layerNotFound;     // %s: the name given

    std::string_view sysvarNewValue;    // %s name, %s current value
    std::string_view sysvarRange;       // %d lowest, %d highest: an answer that is no integer in range
    std::string_view sysvarReadOnly;    // %s name, %s value: a read-only variable typed as a command
    std::string_view dxfoutFileName;    // FILEDIA 0: the file name, ended by a carriage return
    std::string_view dxfoutDialog;      // FILEDIA 1: the file dialog opens (shown on the command line)
    std::string_view dxfoutAccuracy;    // before objects were chosen
    std::string_view dxfoutAccuracyObjects;  // after the objects option
    std::string_view dxfoutVersion;
    std::string_view dxfoutBadAnswer;   // an answer that is neither 0..16 nor a keyword
    std::string_view dxfoutCannotWrite; // %s: the file name

    std::string_view angleDirection;    // ROTATE's first line: how angles are measured
    std::string_view rotateBasePoint;
    std::string_view rotateAngle;
    std::string_view angleRequired;     // an angle prompt got something that is no number
    std::string_view explodeRefused;    // %d: how many selected objects cannot be exploded

    std::string_view insertBlockName;   // the name or file path, ended by a carriage return
    std::string_view insertPoint;       // the insertion point, with the scale and rotation options
    std::string_view insertXScale;
    std::string_view insertYScale;
    std::string_view insertRotation;
    std::string_view insertFileNotFound;  // %s: the name or path as typed
    std::string_view insertBadFile;     // %s: the path as typed
    std::string_view insertRedefine;    // %s: the block name
    std::string_view numberRequired;    // a scale prompt got something that is no number
    std::string_view scaleNotZero;      // a scale of zero

    std::string_view purgeType;
    std::string_view purgeNames;
    std::string_view purgeVerify;
    std::string_view purgeConfirm;      // %s: the block name
    std::string_view purgeDeleting;     // %s: the block name
    std::string_view purgeCount;        // %d: how many were deleted
    std::string_view purgeNothing;
    std::string_view invalidKeyword;

    // LIST: each selected object as a block of lines. %s fields are filled in order.
    std::string_view listHeader;        // %s object name, %s layer
    std::string_view listSpace;
    std::string_view listHandle;        // %s handle
    std::string_view listLine;          // object names
    std::string_view listCircle;
    std::string_view listArc;
    std::string_view listEllipse;
    std::string_view listPolyline;
    std::string_view listText;
    std::string_view listInsert;
    std::string_view listFromPoint;     // %s x, %s y, %s z
    std::string_view listToPoint;       // %s x, %s y, %s z
    std::string_view listLength;        // %s length, %s angle in the XY plane
    std::string_view listDelta;         // %s dx, %s dy, %s dz
    std::string_view listCentre;        // %s x, %s y, %s z
    std::string_view listRadius;        // %s
    std::string_view listCircumference; // %s
    std::string_view listArea;          // %s
    std::string_view listStartAngle;    // %s
    std::string_view listEndAngle;      // %s
    std::string_view listVertex;        // %s x, %s y, %s z
    std::string_view listInsertPoint;   // %s x, %s y, %s z
    std::string_view listBlockName;     // %s
    std::string_view listTextValue;     // %s

    // ELLIPSE (the arc and centre options)
    std::string_view ellipseAxisEnd;    // first prompt: axis end point, or [円弧(A)/中心(C)]
    std::string_view ellipseArcAxisEnd; // after "a": axis end point, or [中心(C)]
    std::string_view ellipseCentre;
    std::string_view ellipseAxisPoint;  // the end of the first axis
    std::string_view ellipseOtherAxis;  // the distance to the other axis
    std::string_view ellipseStartAngle;
    std::string_view ellipseEndAngle;
    std::string_view ellipseInvalid;    // an axis of no length; also CIRCLE, ARC and PLINE: points that give no figure

    // SCALE
    std::string_view scaleBasePoint;
    std::string_view scaleFactor;       // the factor, or [参照(R)]
    std::string_view scaleReference;    // the reference length <1>
    std::string_view scaleSecondPoint;
    std::string_view scaleNewLength;
    std::string_view scaleNotPositive;  // a factor that is not positive

    // COPY
    std::string_view copyBasePoint;
    std::string_view copySecondPoint;
    std::string_view copyNextPoint;     // LT 2006: further copies until Enter

    std::string_view dxfoutReplace;     // %s: the file exists; replace it?

    // TEXT / -TEXT
    std::string_view textCurrentStyle;  // %s: the current text height
    std::string_view textStartPoint;
    std::string_view textHeight;        // %s: the default height
    std::string_view textAngle;         // %s: the default angle
    std::string_view textValue;         // the text itself, ended by a carriage return only

    // DIMLINEAR
    std::string_view dimFirstOrigin;
    std::string_view dimSecondOrigin;
    std::string_view dimLinePosition;
    std::string_view dimMeasured;       // %s: the measurement as shown
    std::string_view listSolid;         // LIST's names of a SOLID and a DIMENSION
    std::string_view listDimension;

    // A listing (LIST, -LAYER ?) that has filled the text window waits for Enter.
    std::string_view listPause;

    // UCS
    std::string_view ucsOptions;        // the option prompt, World the default
    std::string_view ucsNewOrigin;      // "n": the new UCS's origin, or the other ways to one
    std::string_view ucsMoveOrigin;     // "m": the moved origin
    std::string_view ucsOrigin;         // "o": the new origin

    // -LAYER: the state options and the listing
    std::string_view layerListNames;    // "?": which layers to list, Enter for all
    std::string_view layerListHeads[4]; // the listing's column heads: name, state, colour, linetype
    std::string_view layerOn;           // the listing's state words
    std::string_view layerOff;
    std::string_view layerFrozen;
    std::string_view colorNames[7];     // AutoCAD's colours 1 to 7 by name
    std::string_view layerOnNames;      // the names (comma list, wildcards) each option asks for
    std::string_view layerOffNames;
    std::string_view layerFreezeNames;
    std::string_view layerThawNames;
    std::string_view layerOffCurrent;   // %s: the current layer is to go off; Y or N
    std::string_view layerFreezeCurrent;  // %s: the current layer cannot be frozen
    std::string_view layerFrozenCurrent;  // %s: a frozen layer cannot become current

    // CIRCLE
    std::string_view circleCentre;      // the centre, or [3P/2P/T]
    std::string_view circleRadius;      // no circle drawn yet: no default
    std::string_view circleRadiusDefault;  // %s: the last radius, which Enter takes
    std::string_view circleDiameter;
    std::string_view circleDiameterDefault;  // %s: twice the last radius
    std::string_view circleFirstOnCircle;    // 3P
    std::string_view circleSecondOnCircle;
    std::string_view circleThirdOnCircle;
    std::string_view circleFirstDiameterEnd;   // 2P
    std::string_view circleSecondDiameterEnd;
    std::string_view distanceRequired;  // a distance prompt got neither a number, a point nor a keyword
    std::string_view collinearPoints;   // three points in a line make no circle and no arc
    std::string_view optionNotSupported;  // an option of AutoCAD's the stand-in does not draw

    // ARC
    std::string_view arcStart;          // the start point, or [中心(C)]
    std::string_view arcSecond;         // the second point, or [中心(C)/終点(E)]
    std::string_view arcEnd;
    std::string_view arcCentre;
    std::string_view arcStartAfterCentre;
    std::string_view arcEndOrAngle;     // after the centre: the end, or [角度(A)/弦長(L)]
    std::string_view arcCentreOrOptions;  // after the end: the centre, or [角度(A)/方向(D)/半径(R)]

    // PLINE
    std::string_view plineStart;
    std::string_view plineWidth;        // %s: the current width (always 0 here)
    std::string_view plineNext;         // line mode, no segment yet
    std::string_view plineNextClose;    // line mode, with 閉じる(C) once there is a segment
    std::string_view plineArcEnd;       // arc mode, no segment yet
    std::string_view plineArcEndClose;  // arc mode, with 閉じる(CL)
    std::string_view plineArcSecond;    // "s": the arc's second point
    std::string_view plineArcThird;     // then its end point
    std::string_view plineArcCentre;    // "ce": the arc's centre
    std::string_view plineLength;       // "l" in line mode: the length along the last direction
};


const EditionTexts& TextsFor(Edition edition);
// "LT2000", "LT2002", "LT2006" (also with a blank after "LT"); nullopt otherwise.
std::optional<Edition> ParseEdition(std::string_view text);

// `pattern` with each "%s" / "%d" replaced by the next argument, in order.
std::string FormatText(std::string_view pattern, std::initializer_list<std::string> args);

}  // namespace tessavue::sim
